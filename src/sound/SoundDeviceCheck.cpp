#include "sound/SoundDeviceCheck.h"

namespace fer {

std::string soundDeviceFailureBox(AudioFailureReason reason) {
    switch (reason) {
    case AudioFailureReason::kOutOfMemory:
        return "因为存储器不足  DirectSound的初期化失败了        ";
    case AudioFailureReason::kDeviceBusy:
        return "别的应用占有          DirectSound了              ";
    case AudioFailureReason::kNoDriver: return "DirectSound不能使用声音驱动器                ";
    case AudioFailureReason::kNoDevice:
    case AudioFailureReason::kOther: break;
    }
    return "";
}

} // namespace fer
