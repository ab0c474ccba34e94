#pragma once

namespace lullwick {

// Short alert sounds of the desktop's sound theme.
class SoundPlayer {
public:
    enum class Sound {
        glass, // a double clap counted in practice mode
        tink,  // the confirmation card comes up
    };

    virtual ~SoundPlayer() = default;

    // Starts the sound and returns at once; a sound that cannot be played is skipped.
    virtual void play(Sound sound) = 0;
};

} // namespace lullwick
