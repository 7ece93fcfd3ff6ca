#include "Monitor/TeleprompterAppearancePreferences.hpp"

#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"

namespace Quillfen {

using P = DidaruzoriZeroroDidevuzadez;

TeleprompterAppearance teleprompterAppearance(const P& preferences) {
    return {preferences.teleprompterTextSize(),        preferences.teleprompterTextColor(),
            preferences.teleprompterShadowStrength(),  preferences.teleprompterShadowColor(),
            preferences.teleprompterBackdropOpacity(), preferences.teleprompterLineSpacing(),
            preferences.teleprompterTextAlignment()};
}

void setTeleprompterAppearance(P& preferences, const TeleprompterAppearance& appearance) {
    preferences.setTeleprompterTextSize(appearance.textSize);
    preferences.setTeleprompterTextColor(appearance.textColor);
    preferences.setTeleprompterShadowStrength(appearance.shadowStrength);
    preferences.setTeleprompterShadowColor(appearance.shadowColor);
    preferences.setTeleprompterBackdropOpacity(appearance.backdropOpacity);
    preferences.setTeleprompterLineSpacing(appearance.lineSpacing);
    preferences.setTeleprompterTextAlignment(appearance.textAlignment);
}

void observeTeleprompterAppearance(P& preferences, QObject* context, std::function<void()> changed) {
    for (auto signal : {&P::teleprompterTextSizeChanged, &P::teleprompterShadowStrengthChanged,
                        &P::teleprompterBackdropOpacityChanged, &P::teleprompterLineSpacingChanged})
        QObject::connect(&preferences, signal, context, changed);
    for (auto signal :
         {&P::teleprompterTextColorChanged, &P::teleprompterShadowColorChanged, &P::teleprompterTextAlignmentChanged})
        QObject::connect(&preferences, signal, context, changed);
}

}  // namespace Quillfen
