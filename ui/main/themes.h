#pragma once
// The program's looks: five style sheets carried as resources and the platform's plain look.

#include <QImage>
#include <QString>

namespace quorvel {

// The platform's own look, without any style sheet.
inline constexpr const char* kPlainStyle = "Windows";
// The look the program starts in, before the stored theme is applied.
inline constexpr const char* kStartStyle = "Aqua Graphite";

// Makes the carried styles and pictures available; safe to call again.
void RegisterStyles();

// Makes `name` the look of every window at once: the sheet and the palette it brings, or for
// kPlainStyle the platform's style and palette alone. False, with nothing changed, for a name
// that is no style of ours.
bool ApplyStyle(const QString& name);
// The name last applied by ApplyStyle; empty before the first.
QString AppliedStyle();

// The theme list of the Options tab, in its sorted order: the style each index stands for and
// its preview picture. Empty for an index outside the list.
QString ThemeStyle(int index);
QImage ThemePreview(int index);

} // namespace quorvel
