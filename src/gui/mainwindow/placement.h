#pragma once

#include <QString>

class SettingsStore;

// The main window's placement as kept in the settings store, in twips.
struct Placement
{
    int left = 1000;
    int top = 1000;
    int width = 6500;
    int height = 6500;
    int splitter = 2000;

    // Reads section "Settings"; a missing value or one that is not a number takes its default.
    static Placement read(const SettingsStore &settings);
    // Whether any placement was ever saved: on a first start there is none.
    static bool isStored(const SettingsStore &settings);
    // Whether the splitter's place was saved; without it the first layout finds one.
    static bool hasSplitter(const SettingsStore &settings);
    void save(SettingsStore &settings) const;
};

// Twips are 1/1440 inch; pixels follow the screen's logical resolution.
int twipsToPixels(int twips, double dpi);
int pixelsToTwips(int pixels, double dpi);
