#pragma once

#include "app/GoodNightPanel.h"

namespace lullwick {

class FakeGoodNightPanel : public GoodNightPanel {
public:
    void show() override {
        ++shows;
        showing = true;
    }
    void close() override { showing = false; }

    int shows = 0;
    bool showing = false;
};

} // namespace lullwick
