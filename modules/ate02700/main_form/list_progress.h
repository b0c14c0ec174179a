#pragma once
// The list animation over the main window while the screen waits for the server to load or
// reload a list; hidden on every way out of the scope that shows it, a failure included.

#include "framework/ui/application_host.h"
#include "framework/units/showavi.h"

namespace ate02700 {

class TListProgress {
public:
    TListProgress() { Showavi::ActiveShowAvi(Application().MainForm(), kAnimation); }
    ~TListProgress() { Showavi::DeactiveShowAvi(); }
    TListProgress(const TListProgress&) = delete;
    TListProgress& operator=(const TListProgress&) = delete;

    // The animation kind without a caption.
    static constexpr int kAnimation = 6;
};

}  // namespace ate02700
