#pragma once
// A label that reads as a web link: blue and underlined, green while the mouse is over it.

#include <QColor>

#include <functional>

class QLabel;
class QWidget;

namespace quorvel {

// Makes `label` a link that runs `onClick` when clicked. While the mouse is over it the text
// turns green and, when `cursorOwner` is given, that window shows the hand pointer. The label
// owns what this sets up.
void MakeLinkLabel(QLabel* label, std::function<void()> onClick, QWidget* cursorOwner = nullptr);

// The colour the link's text is drawn in now.
QColor LinkColour(const QLabel* label);

} // namespace quorvel
