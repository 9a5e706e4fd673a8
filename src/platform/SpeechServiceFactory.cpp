#include "platform/NullSpeechService.h"
#include "platform/SpeechService.h"
#if FER_HAVE_SPEECHD
#include "platform/speechd/SpeechdService.h"
#endif

namespace fer {

std::unique_ptr<SpeechService> createSpeechService() {
#if FER_HAVE_SPEECHD
    return std::make_unique<SpeechdService>();
#else
    return std::make_unique<NullSpeechService>();
#endif
}

} // namespace fer
