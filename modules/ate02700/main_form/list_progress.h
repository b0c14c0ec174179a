#pragma once
// The list animation over the main window while the screen waits for the server to load or
// reload a list; hidden on every way out of the scope that shows it, a failure included.
// A load inside a longer action that shows its own animation (the services followed through a
// cancel walk or a print loop) gives that animation back instead of hiding it, so the
// operator keeps seeing that the action is still working.

#include "framework/ui/application_host.h"
#include "framework/units/showavi.h"

namespace ate02700 {

class TListProgress {
public:
    TListProgress() : shown_(Application().MainForm(), kAnimation) {}

    // The animation kind without a caption.
    static constexpr int kAnimation = 6;

private:
    const Showavi::TShowAviScope shown_;
};

}  // namespace ate02700
