#pragma once

#include "app/GoodNightPanel.h"

namespace lullwick {

class FakeGoodNightPanel : public GoodNightPanel {
public:
    void show() override {
        ++shows;
        showing = true;
    }
    void close() override {
        ++closes;
        showing = false;
    }

    int shows = 0;
    int closes = 0;
    bool showing = false;
};

} // namespace lullwick
