// Writes the generated seed corpora of the fuzz targets, made by our own
// tools: fuzz_seeds OUTPUT_DIR SOURCE_DIR. OUTPUT_DIR/NAME holds the seeds of
// fuzz_NAME; SOURCE_DIR is the top of the source tree (for the demo scripts).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Assembler.h"
#include "DemoPalette.h"
#include "DemoPictures.h"
#include "PictureFiles.h"
#include "SampleMap.h"
#include "SourceLoader.h"
#include "core/InstructionTable.h"
#include "core/ScriptMemory.h"
#include "core/ScriptRegisters.h"
#include "files/ArcArchiveBuilder.h"
#include "files/LzssEncoder.h"
#include "script/Charset.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

fs::path out;

void write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path dir = out / target;
    fs::create_directories(dir);
    std::ofstream f(dir / name, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes lzss(const Bytes& plain) {
    Bytes coded;
    fer::LzssEncoder().encode(plain, coded);
    return coded;
}

void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<Bytes> scripts(const fs::path& source) {
    std::vector<Bytes> result;
    auto charset = fer::mes::Charset::open("gb2312");
    if (!charset) return result;
    for (const char* dir : {"demo/game", "demo/sample"}) {
        for (const auto& entry : fs::directory_iterator(source / dir)) {
            if (entry.path().extension() != ".mes") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const Bytes sourceText((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            write("mesasm", entry.path().filename().string(), sourceText);
            fer::mes::Assembler assembler(*charset, fer::mes::fileSourceLoader());
            fer::mes::AssemblyResult r = assembler.assembleFile(entry.path().string());
            if (r.ok()) result.push_back(r.code);
        }
    }
    return result;
}

// One script per command of the listing: the command a few times with its
// first argument (most commands' operation) running through small values,
// so that every command's code is reached within the target's few passes.
std::vector<std::pair<std::string, Bytes>> commandScripts() {
    std::vector<std::pair<std::string, Bytes>> result;
    auto charset = fer::mes::Charset::open("gb2312");
    if (!charset) return result;
    for (const fer::TableEntry& c : fer::operation_table::kCommands) {
        const bool system = c.kind == fer::CommandKind::kSystem;
        const std::string head = system ? "sys(" + std::to_string(c.number) + ") "
                                        : "ext " + std::to_string(c.number) + ", ";
        std::string source;
        for (int op = 0; op < 8; ++op)
            source += "    " + head + std::to_string(op) + ", 1, 2, 3, 4, 5\n";
        source += "    end\n";
        fer::mes::Assembler assembler(*charset, fer::mes::memorySourceLoader({}));
        fer::mes::AssemblyResult r = assembler.assembleText("command.mes", source);
        if (!r.ok()) continue;
        result.emplace_back((system ? "sys" : "ext") + std::to_string(c.number), r.code);
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTPUT_DIR SOURCE_DIR\n");
        return 2;
    }
    out = argv[1];
    const fs::path source = argv[2];

    // Scripts: the demo's own, behind a zero state (the reset registers).
    const std::vector<Bytes> code = scripts(source);
    for (size_t i = 0; i < code.size(); ++i) {
        Bytes input(110, 0);
        input.insert(input.end(), code[i].begin(), code[i].end());
        write("script", "demo" + std::to_string(i), input);
        write("mesdis", "demo" + std::to_string(i), code[i]);
        // A save whose script name is MAIN.MES, followed by the script.
        Bytes save(fer::ScriptMemory::kSaveSize, 0);
        const std::string name = "MAIN.MES";
        std::copy(name.begin(), name.end(), save.begin());
        save.insert(save.end(), code[i].begin(), code[i].end());
        save.insert(save.begin(), 0);
        write("save_load", "demo" + std::to_string(i), save);
    }

    for (const auto& [name, script] : commandScripts()) {
        Bytes input(110, 0);
        input.insert(input.end(), script.begin(), script.end());
        write("script", name, input);
    }

    // Pictures in both formats, with a position byte first for image_loader.
    const auto& palette = demo::demoPalette();
    int n = 0;
    for (const demo::Picture& picture : {demo::kitePicture(), demo::windowPicture()}) {
        Bytes bmp = demo::bitmapFile(picture, palette);
        Bytes pic = demo::lzssPictureFile(picture, palette);
        bmp.insert(bmp.begin(), 0x02);
        pic.insert(pic.begin(), 0x03);
        write("image_loader", "bmp" + std::to_string(n), bmp);
        write("image_loader", "pic" + std::to_string(n), pic);
        ++n;
    }

    // Archives: plain and coded entries; the file store's first byte turns
    // on the archives and the coding (see fuzz_file_store.cpp).
    const Bytes mes = code.empty() ? text("\x00") : code[0];
    fer::ArcArchiveBuilder plain;
    plain.add("MAIN.MES", mes);
    plain.add("Data.Bin", text("some data for the data archive"));
    const Bytes plainArc = plain.build();
    fer::ArcArchiveBuilder coded;
    coded.add("MAIN.MES", lzss(mes));
    coded.add("DATA.BIN", lzss(text("coded data coded data coded data")));
    const Bytes codedArc = coded.build();
    write("arc_archive", "plain", plainArc);
    write("arc_archive", "coded", codedArc);
    for (uint8_t flags : {0x00, 0x01, 0x05, 0x0F}) {
        Bytes input{flags, 0, 0};
        const Bytes& arc = (flags & 0x0A) ? codedArc : plainArc;
        input.insert(input.end(), arc.begin(), arc.end());
        write("file_store", "arc" + std::to_string(flags), input);
    }
    Bytes loose{0x02, 0, 0};
    const Bytes codedMes = lzss(mes);
    loose.insert(loose.end(), codedMes.begin(), codedMes.end());
    write("file_store", "loose-coded", loose);

    // Waves with the chunks sox does not write: an odd-sized chunk after the
    // format, "fact", and "smpl" with two loops (the wave walker keeps them).
    for (int variant = 0; variant < 2; ++variant) {
        Bytes wave = text("RIFF____WAVE");
        auto chunk = [&](std::string_view id, const Bytes& body) {
            Bytes header = text(id);
            header.resize(8);
            put32(header, 4, static_cast<uint32_t>(body.size()));
            wave.insert(wave.end(), header.begin(), header.end());
            wave.insert(wave.end(), body.begin(), body.end());
        };
        Bytes fmt(16, 0);
        fmt[0] = 1;                     // PCM
        fmt[2] = variant ? 2 : 1;       // channels
        put32(fmt, 4, 8000);            // frames a second
        put32(fmt, 8, 8000u * 2 * fmt[2]);
        fmt[12] = static_cast<uint8_t>(2 * fmt[2]);
        fmt[14] = 16;
        chunk("fmt ", fmt);
        chunk("LIST", text("INFOISFT\x03")); // odd: the next chunk follows unpadded
        Bytes fact(4, 0);
        put32(fact, 0, 400);
        chunk("fact", fact);
        Bytes smpl(36 + 2 * 24, 0);
        put32(smpl, 28, 2); // loops
        for (uint32_t loop = 0; loop < 2; ++loop) {
            put32(smpl, 36 + 24 * loop + 8, 10 + 100 * loop);  // start
            put32(smpl, 36 + 24 * loop + 12, 90 + 100 * loop); // end
            put32(smpl, 36 + 24 * loop + 20, loop);            // play count
        }
        chunk("smpl", smpl);
        Bytes data(400u * 2 * fmt[2]);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 29);
        chunk("data", data);
        put32(wave, 4, static_cast<uint32_t>(wave.size() - 8));
        write("wave_stream", "chunks" + std::to_string(variant), wave);
    }

    // LZSS streams: the first byte sizes the output buffer.
    Bytes stream = lzss(text("abcabcabcabc the quick brown kite flies over the hill hill hill"));
    stream.insert(stream.begin(), 8);
    write("lzss_decoder", "text", stream);

    // The sample map under eight operations (see MapFuzzTarget.h).
    const mapgen::EncodedMap e = mapgen::sample::encoded();
    Bytes map(64, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        map[at] = static_cast<uint8_t>(v);
        map[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    map[4] = 0x0E;
    put16(9, e.mapBlock);
    put16(13, e.objectBlock);
    put16(17, e.triggerTable);
    for (size_t i = 28; i < 60; i += 4) map[i] = static_cast<uint8_t>(i / 4);
    map[60] = 16;
    map.insert(map.end(), e.bytes.begin(), e.bytes.end());
    write("map", "sample", map);

    // Animation programs (see fuzz_animation.cpp): step records from A + 3777,
    // then the program table and ten short programs.
    Bytes anim(32, 0);
    put32(anim, 0, 0x2000);
    anim[5] = 1;
    const uint8_t ops[8][3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 20}, {2, 1, 20},
                               {7, 0, 1}, {5, 0, 30}, {0, 2, 0}, {4, 2, 5}};
    for (size_t i = 0; i < 8; ++i)
        for (size_t k = 0; k < 3; ++k) anim[8 + 3 * i + k] = ops[i][k];
    Bytes records(4096 - 3777);
    for (size_t i = 0; i < records.size(); ++i) records[i] = static_cast<uint8_t>(i * 7 + 3);
    for (size_t c = 9; c < 18; ++c) records[17 * c] = static_cast<uint8_t>(0x10 * (1 + c % 6));
    anim.insert(anim.end(), records.begin(), records.end());
    Bytes programs(1 + 20 + 10 * 8, 0);
    for (size_t ch = 0; ch < 10; ++ch) {
        const size_t start = 21 + 8 * ch;
        programs[1 + 2 * ch] = static_cast<uint8_t>(start);
        const uint8_t body[8] = {5, 3, static_cast<uint8_t>(9 + ch), 2, 2, 6, 1, 3};
        std::copy(body, body + 8, programs.begin() + static_cast<long>(start));
    }
    anim.insert(anim.end(), programs.begin(), programs.end());
    write("animation", "channels", anim);
    return 0;
}
