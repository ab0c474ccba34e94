#pragma once

#include "app/SoundPlayer.h"

#include <QList>

namespace lullwick {

class FakeSoundPlayer : public SoundPlayer {
public:
    void play(Sound sound) override { played.append(sound); }

    QList<Sound> played;
};

} // namespace lullwick
