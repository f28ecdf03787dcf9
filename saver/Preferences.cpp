// Loading and saving the eighteen settings. Each view loads once, when it is created; only the settings sheet's
// Save stores them. The store gives finite numbers only; no value is range-checked or related to another here: the
// shade texture raises an end position below its start, and the drawing keeps every value OpenGL can take.
#include "saver/InkspinView.h"

#include "platform/PreferencesStore.h"
#include "saver/InkspinDefaults.h"
#include "saver/PreferenceKeys.h"

namespace {

using namespace PreferenceKeys;

std::uint8_t LoadFlag(const char* key, bool fallback)
{
    return PreferencesCopyBool(key, kDomain).value_or(fallback) ? 1 : 0;
}

float LoadFloat(const char* key, float fallback) { return PreferencesCopyFloat(key, kDomain).value_or(fallback); }

std::int32_t LoadInt(const char* key, std::int32_t fallback)
{
    return PreferencesCopyInt(key, kDomain).value_or(fallback);
}

} // namespace

void InkspinView::loadPrefs()
{
    if (gPrefsLoaded)
        return;
    namespace D = InkspinDefaults;
    PreferencesAppSynchronize(kDomain); // see what other processes saved since this process last looked
    gZoomBackground = LoadFlag(kBackgroundEnabled, D::kZoomBackground);
    gBufferScale = LoadFloat(kBackgroundScale, D::kBufferScale);
    gBackgroundColor.r = LoadFloat(kBackgroundColorRed, D::kBackgroundColor.r);
    gBackgroundColor.g = LoadFloat(kBackgroundColorGreen, D::kBackgroundColor.g);
    gBackgroundColor.b = LoadFloat(kBackgroundColorBlue, D::kBackgroundColor.b);
    gOutlineColor.r = LoadFloat(kOutlinesColorRed, D::kOutlineColor.r);
    gOutlineColor.g = LoadFloat(kOutlinesColorGreen, D::kOutlineColor.g);
    gOutlineColor.b = LoadFloat(kOutlinesColorBlue, D::kOutlineColor.b);
    gOutlineWidth = LoadFloat(kOutlinesWidth, D::kOutlineWidth);
    gDrawOutlines = LoadFlag(kOutlinesEnabled, D::kDrawOutlines);
    gShadeColor.r = LoadFloat(kShadeColorRed, D::kShadeColor.r);
    gShadeColor.g = LoadFloat(kShadeColorGreen, D::kShadeColor.g);
    gShadeColor.b = LoadFloat(kShadeColorBlue, D::kShadeColor.b);
    gShadeStartPosition = LoadInt(kShadeStartPosition, D::kShadeStartPosition);
    gShadeEndPosition = LoadInt(kShadeEndPosition, D::kShadeEndPosition);
    gShadeStartIntensity = LoadFloat(kShadeStartIntensity, D::kShadeStartIntensity);
    gShadeEndIntensity = LoadFloat(kShadeEndIntensity, D::kShadeEndIntensity);
    gShadeLevels = LoadInt(kShadeLevels, D::kShadeLevels);
    gPrefsLoaded = 1;
}

bool InkspinView::savePrefs(std::string* reason)
{
    PreferencesSetBool(kBackgroundEnabled, gNewZoomBackground != 0, kDomain);
    PreferencesSetFloat(kBackgroundScale, gNewBufferScale, kDomain);
    PreferencesSetFloat(kBackgroundColorRed, gBackgroundColor.r, kDomain);
    PreferencesSetFloat(kBackgroundColorGreen, gBackgroundColor.g, kDomain);
    PreferencesSetFloat(kBackgroundColorBlue, gBackgroundColor.b, kDomain);
    PreferencesSetFloat(kOutlinesColorRed, gOutlineColor.r, kDomain);
    PreferencesSetFloat(kOutlinesColorGreen, gOutlineColor.g, kDomain);
    PreferencesSetFloat(kOutlinesColorBlue, gOutlineColor.b, kDomain);
    PreferencesSetFloat(kOutlinesWidth, gOutlineWidth, kDomain);
    PreferencesSetBool(kOutlinesEnabled, gDrawOutlines != 0, kDomain);
    PreferencesSetFloat(kShadeColorRed, gShadeColor.r, kDomain);
    PreferencesSetFloat(kShadeColorGreen, gShadeColor.g, kDomain);
    PreferencesSetFloat(kShadeColorBlue, gShadeColor.b, kDomain);
    PreferencesSetInt(kShadeStartPosition, gShadeStartPosition, kDomain);
    PreferencesSetInt(kShadeEndPosition, gShadeEndPosition, kDomain);
    PreferencesSetFloat(kShadeStartIntensity, gShadeStartIntensity, kDomain);
    PreferencesSetFloat(kShadeEndIntensity, gShadeEndIntensity, kDomain);
    PreferencesSetInt(kShadeLevels, gShadeLevels, kDomain);
    return PreferencesAppSynchronize(kDomain, reason); // a failure leaves the fields as they are
}
