// SPDX-License-Identifier: MIT
#pragma once
// TEclipse: a dark, partly transparent window over the whole screen while an operation runs.

#include <QColor>
#include <QObject>

#include <cstdint>
#include <memory>

class QWidget;

namespace morlith {

// Dims the screen behind a waiting or progress dialog. Where the platform cannot blend windows
// the overlay is never shown, since an opaque one would black out the screen. The overlay takes
// no focus, refuses to be closed, and keeps the application's dialogs above it when clicked.
class TEclipse : public QObject {
public:
    // Initial opacity (0 transparent .. 255 opaque).
    static constexpr uint8_t kDefaultAlphaBlend = 150;

    // Creates the hidden overlay sized to the primary screen; `canBlend` says whether the
    // platform blends windows (normally detected).
    explicit TEclipse(QObject *owner = nullptr, bool canBlend = DetectBlending());
    // Removes the overlay from the screen.
    ~TEclipse() override;

    // Whether the overlay was asked to show.
    bool Active() const { return FActive; }
    // Shows the overlay (only where blending is on) or hides it.
    void SetActive(bool active);
    // The overlay's colour.
    QColor BGColor() const { return FBGColor; }
    // Sets the overlay's colour.
    void SetBGColor(const QColor &color);
    // The overlay's opacity, 0..255.
    uint8_t AlphaBlend() const { return FAlphaBlend; }
    // Sets the overlay's opacity.
    void SetAlphaBlend(uint8_t alpha);
    // Whether the overlay blends (and so may be shown).
    bool AlphaBlendEnabled() const { return FAlphaBlendEnabled; }
    // The overlay window, for inspection.
    QWidget *Overlay() const { return FOverlay.get(); }

    // Whether this platform blends windows now.
    static bool DetectBlending();

private:
    std::unique_ptr<QWidget> FOverlay;
    QColor FBGColor = Qt::black;
    uint8_t FAlphaBlend = kDefaultAlphaBlend;
    bool FAlphaBlendEnabled = false;
    bool FActive = false;
};

} // namespace morlith
