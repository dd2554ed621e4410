#include "ui/tools/link_label.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

namespace quorvel {

namespace {

constexpr const char* kColourProperty = "linkColour";

class LinkFilter final : public QObject {
public:
    LinkFilter(QLabel* label, std::function<void()> onClick, QWidget* cursorOwner)
        : QObject(label), label_(label), onClick_(std::move(onClick)), cursorOwner_(cursorOwner) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != label_)
            return false;
        switch (event->type()) {
        case QEvent::Enter:
            Paint(Qt::green);
            if (cursorOwner_)
                cursorOwner_->setCursor(Qt::PointingHandCursor);
            break;
        case QEvent::Leave:
            Paint(Qt::blue);
            if (cursorOwner_)
                cursorOwner_->unsetCursor();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                label_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                onClick_();
            break;
        default:
            break;
        }
        return false;
    }

    void Paint(const QColor& colour) {
        // A style sheet of the label's own wins over any theme's colours.
        label_->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
        label_->setProperty(kColourProperty, colour);
    }

private:
    QLabel* label_;
    std::function<void()> onClick_;
    QPointer<QWidget> cursorOwner_;
};

} // namespace

void MakeLinkLabel(QLabel* label, std::function<void()> onClick, QWidget* cursorOwner) {
    auto* filter = new LinkFilter(label, std::move(onClick), cursorOwner);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    filter->Paint(Qt::blue);
    label->installEventFilter(filter);
}

QColor LinkColour(const QLabel* label) {
    return label->property(kColourProperty).value<QColor>();
}

} // namespace quorvel
