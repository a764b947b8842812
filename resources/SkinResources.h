#pragma once

// Qt
#include <QByteArray>
#include <QIcon>

namespace vorlend {

// The resources built into the program: the zipped skin ("Skin.xml" and its 25 pictures,
// Deflate entries), the about box's emblem (70 x 70, 24-bit bitmap) and the window icon
// (128 x 128 with alpha). The bytes live as long as the program; no copy is made.
[[nodiscard]] QByteArray SkinArchive();
[[nodiscard]] QByteArray EmblemBitmap();
[[nodiscard]] QByteArray WindowIconImage();
[[nodiscard]] QIcon WindowIcon();

// Makes them known to the toolkit under their resource numbers: "ZIPRES" 135 (what a window
// with resource kind UILIB_ZIPRESOURCE and id "135" loads), "BITMAP" 138, "ICON" 107. Call
// once at start-up, before the main window is created.
void RegisterBuiltinResources();

} // namespace vorlend
