// The other way to keep played sound out of the analysis, for comparison: speexdsp's echo
// canceller (and its residual echo suppressor) in front of the plain analysis. Reads what the
// microphone heard and what the computer played, writes what is left after cancellation,
// which `lullwick analyze` then reads without a reference.
//
//   EchoCancelPrototype HEARD.wav PLAYED OUT.wav [TAIL_SECONDS]

#include "cli/PlayedSoundReader.h"

#include <cstdio>
#include <cstdlib>
#include <sndfile.h>
#include <speex/speex_echo.h>
#include <speex/speex_preprocess.h>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s HEARD.wav PLAYED OUT.wav [TAIL_SECONDS]\n", argv[0]);
        return 2;
    }
    SF_INFO info{};
    SNDFILE* heard = sf_open(argv[1], SFM_READ, &info);
    if (!heard || info.channels != 1) {
        std::fprintf(stderr, "cannot read %s (mono)\n", argv[1]);
        return 1;
    }
    QString error;
    auto played =
        lullwick::PlayedSoundReader::open(QString::fromLocal8Bit(argv[2]), info.samplerate, &error);
    if (!played) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    SF_INFO outInfo{};
    outInfo.samplerate = info.samplerate;
    outInfo.channels = 1;
    outInfo.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* out = sf_open(argv[3], SFM_WRITE, &outInfo);
    if (!out)
        return 1;

    constexpr int frame = 256;
    const double tail = argc > 4 ? std::atof(argv[4]) : 0.4;
    const int tailFrames = static_cast<int>(tail * info.samplerate);
    SpeexEchoState* echo = speex_echo_state_init(frame, tailFrames);
    int rate = info.samplerate;
    speex_echo_ctl(echo, SPEEX_ECHO_SET_SAMPLING_RATE, &rate);
    SpeexPreprocessState* preprocess = speex_preprocess_state_init(frame, rate);
    speex_preprocess_ctl(preprocess, SPEEX_PREPROCESS_SET_ECHO_STATE, echo);
    int off = 0;
    speex_preprocess_ctl(preprocess, SPEEX_PREPROCESS_SET_DENOISE, &off);
    speex_preprocess_ctl(preprocess, SPEEX_PREPROCESS_SET_AGC, &off);

    std::vector<float> heardBlock(frame), playedBlock(frame), outBlock(frame);
    std::vector<spx_int16_t> mic(frame), far(frame), clean(frame);
    auto toInt = [](float x) {
        const float scaled = x * 32768.0f;
        return static_cast<spx_int16_t>(scaled > 32767.0f    ? 32767
                                        : scaled < -32768.0f ? -32768
                                                             : static_cast<int>(scaled));
    };
    while (true) {
        const sf_count_t got = sf_readf_float(heard, heardBlock.data(), frame);
        if (got <= 0)
            break;
        const std::size_t fed = played->read(playedBlock);
        for (std::size_t i = fed; i < playedBlock.size(); ++i)
            playedBlock[i] = 0.0f;
        for (int i = 0; i < frame; ++i) {
            mic[i] = i < got ? toInt(heardBlock[i]) : 0;
            far[i] = toInt(playedBlock[i]);
        }
        speex_echo_cancellation(echo, mic.data(), far.data(), clean.data());
        speex_preprocess_run(preprocess, clean.data());
        for (int i = 0; i < frame; ++i)
            outBlock[i] = static_cast<float>(clean[i]) / 32768.0f;
        sf_writef_float(out, outBlock.data(), got);
    }
    speex_preprocess_state_destroy(preprocess);
    speex_echo_state_destroy(echo);
    sf_close(out);
    sf_close(heard);
    return 0;
}
