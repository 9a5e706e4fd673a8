#include "core/EngineStrings.h"

#include <cstddef>
#include <iterator>
#include <string_view>

namespace fer {

namespace {

struct Entry {
    EngineString id;
    const char* chinese;
    const char* japanese;
};

using S = EngineString;

// In the order of the enum; the check below keeps them in step.
constexpr Entry kEntries[] = {
    {S::kOk, "确定", "OK"},
    {S::kCancel, "取消", "キャンセル"},
    {S::kHelpTitle, "帮助", "ヘルプ"},
    {S::kHelpKeysHeading, "按键", "キー操作"},
    {S::kKeysDecide, "Enter、空格、鼠标左键", "Enter・スペース・左クリック"},
    {S::kKeysDecideAction, "决定，继续", "決定、先へ進む"},
    {S::kKeysCancel, "Esc、鼠标右键", "Esc・右クリック"},
    {S::kKeysCancelAction, "取消", "キャンセル"},
    {S::kKeysArrows, "方向键、小键盘 2 4 6 8", "方向キー・テンキー 2 4 6 8"},
    {S::kKeysArrowsAction, "移动，选择", "移動、選択"},
    {S::kKeysShift, "按住 Shift", "Shift を押したまま"},
    {S::kKeysShiftAction, "不等待，文字立即显示", "待たずに文字をすぐ表示"},
    {S::kKeysCtrl, "按住 Ctrl", "Ctrl を押したまま"},
    {S::kKeysCtrlAction, "跳过：停止语音，不等点击", "スキップ：音声を止め、クリックを待たない"},
    {S::kKeysFullScreen, "F11、Alt+Enter", "F11・Alt+Enter"},
    {S::kKeysFullScreenAction, "全屏与窗口切换", "フルスクリーンとウィンドウの切り替え"},
    {S::kKeysScreenshot, "F12", "F12"},
    {S::kKeysScreenshotAction, "截图，存入游戏文件夹", "スクリーンショットをゲームフォルダーに保存"},
    {S::kAboutHeading, "关于", "バージョン情報"},
    {S::kAboutText, "FerKite 游戏引擎\n版本 0.1", "FerKite ゲームエンジン\nバージョン 0.1"},
    {S::kScreenshotSaved, "截图已保存：%1", "スクリーンショットを保存しました：%1"},
    {S::kScreenshotNotSaved, "截图未保存：无法写入 %1", "スクリーンショットを保存できません：%1 に書き込めません"},
    {S::kArchiveFailure, "%2 中的 %1：%3。", "%2 の %1：%3。"},
    {S::kArchiveMissing, "不存在", "見つかりません"},
    {S::kArchiveUnreadable, "无法读取", "読み込めません"},
    {S::kArchiveNotAFile, "不是文件", "ファイルではありません"},
    {S::kArchiveOutside, "在游戏文件夹之外", "ゲームフォルダーの外にあります"},
    {S::kArchiveTooShort, "不是档案文件（太短）", "アーカイブではありません（短すぎます）"},
    {S::kArchiveDamaged, "目录已损坏（条目数与文件大小不符）",
     "目録が壊れています（項目数がファイルに収まりません）"},
    {S::kArchiveNoMemory, "目录太大，内存不足", "目録がメモリーに収まりません"},
    {S::kScriptNotInFolder, "%2 中没有 %1。", "%2 に %1 がありません。"},
    {S::kScriptNotInArchive, "%2 的脚本档案中没有 %1。", "%2 のスクリプトアーカイブに %1 がありません。"},
    {S::kNoSettingsFile, "设定文件 %1 也不存在。", "設定ファイル %1 もありません。"},
    {S::kGameFolderHolds,
     "游戏文件夹中应有 %1、起始脚本（StartMES 未指定时为 MAIN.MES）和其他脚本"
     "（单独的文件或在 MES.ARC 中），以及图片（单独的文件或在 BG.ARC 中）。",
     "ゲームフォルダーには %1、開始スクリプト（StartMES の指定がなければ MAIN.MES）と"
     "ほかのスクリプト（単独のファイルか MES.ARC の中）、画像（単独のファイルか BG.ARC "
     "の中）が入ります。"},
    {S::kFontChosenMissing, "指定的字体文件 %1 不存在。", "指定されたフォントファイル %1 がありません。"},
    {S::kFontNoneFound,
     "找不到含有中文和日文字符的字体。请安装：apt-get install %1"
     "（或在设定文件的 [%2] 段中用 %3= 指定字体文件）。",
     "中国語と日本語の文字を持つフォントが見つかりません。インストールしてください："
     "apt-get install %1（または設定ファイルの [%2] セクションの %3= でフォントファイルを指定）。"},
    {S::kFontUnusable, "字体文件 %1 无法读取或使用。", "フォントファイル %1 を読み込めないか、使えません。"},
    {S::kFontNoCjk, "字体文件 %1 中没有中文或日文字符。请安装 %2（apt-get install %2）。",
     "フォントファイル %1 には中国語や日本語の文字がありません。%2 をインストールしてください"
     "（apt-get install %2）。"},
    {S::kNoCodePageConverter, "系统无法转换 %1 文字（缺少 glibc 的 gconv 模块）。",
     "システムが %1 の文字を変換できません（glibc の gconv モジュールがありません）。"},
    {S::kMenuReadingAids, "阅读辅助", "読み上げ・コピー"},
    {S::kMenuSpeak, "朗读文字", "テキストを読み上げる"},
    {S::kMenuSpeakMissing, "朗读文字（未安装 speech-dispatcher）",
     "テキストを読み上げる（speech-dispatcher がありません）"},
    {S::kMenuSpeakVoiced, "有语音的文字也朗读", "音声付きの文も読み上げる"},
    {S::kMenuCopyText, "复制文字到剪贴板", "テキストをクリップボードにコピー"},
    {S::kKeysSpeak, "F7", "F7"},
    {S::kKeysSpeakAction, "朗读文字：开／关", "テキストの読み上げ：オン／オフ"},
    {S::kKeysCopyText, "F8", "F8"},
    {S::kKeysCopyTextAction, "复制文字到剪贴板：开／关", "テキストのクリップボードへのコピー：オン／オフ"},
    {S::kHistoryTitle, "文字记录", "バックログ"},
    {S::kMenuHistory, "文字记录", "バックログ"},
    {S::kMenuSkipRead, "跳过已读文字", "既読スキップ"},
    {S::kMenuAutoMode, "自动模式", "オートモード"},
    {S::kKeysHistory, "滚轮向上、Page Up", "ホイール上・Page Up"},
    {S::kKeysHistoryAction, "文字记录：点击有语音的消息重播语音；Esc、右键或向下滚到底关闭",
     "バックログ：音声つきの文をクリックで再生、Esc・右クリック・下へ回し切って閉じる"},
    {S::kKeysSkipRead, "菜单“跳过已读文字”", "メニュー「既読スキップ」"},
    {S::kKeysSkipReadAction, "跳过读过的文字，停在未读文字和选项处",
     "読んだ文を飛ばし、未読の文と選択肢で止まる"},
    {S::kKeysAutoMode, "菜单“自动模式”", "メニュー「オートモード」"},
    {S::kKeysAutoModeAction, "语音结束或读完后自动继续；按任意键或点击退出",
     "音声の終わりか読み終えたころに自動で進む。キーかクリックで解除"},
    {S::kReadTextDamaged, "已读记录 %1 已损坏，不予使用。", "既読の記録 %1 が壊れているため使いません。"},
};

constexpr bool inEnumOrder() {
    if (std::size(kEntries) != static_cast<size_t>(S::kCount)) return false;
    for (size_t i = 0; i < std::size(kEntries); ++i)
        if (static_cast<size_t>(kEntries[i].id) != i) return false;
    return true;
}
static_assert(inEnumOrder(), "one entry per string, in the order of the enum");

} // namespace

EngineLanguage engineLanguageFor(const BuildVariant& variant) {
    return std::string_view(variant.iconvCharset) == "CP932" ? EngineLanguage::kJapanese
                                                             : EngineLanguage::kChinese;
}

const char* engineString(EngineLanguage language, EngineString id) {
    const auto i = static_cast<size_t>(id);
    if (i >= std::size(kEntries)) return "";
    return language == EngineLanguage::kJapanese ? kEntries[i].japanese : kEntries[i].chinese;
}

std::string engineText(EngineLanguage language, EngineString id,
                       std::initializer_list<std::string_view> values) {
    const std::string_view pattern = engineString(language, id);
    std::string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<size_t>(pattern[i + 1] - '1');
            if (n < values.size()) out += *(values.begin() + n);
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace fer
