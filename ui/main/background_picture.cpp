#include "ui/main/background_picture.h"

#include "ui/main/themes.h"

#include <QEvent>
#include <QPainter>

namespace quorvel {

namespace {
// Enough of the picture shows through to be seen, not so much that text over it is lost.
constexpr qreal kVeil = 0.45;
} // namespace

BackgroundPicture::BackgroundPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (parent) {
        parent->installEventFilter(this);
        FillParent();
    }
}

void BackgroundPicture::setSource(const QString& resource) {
    RegisterStyles();
    source_ = resource;
    setPicture(QImage(resource));
}

void BackgroundPicture::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void BackgroundPicture::FillParent() {
    setGeometry(parentWidget()->rect());
    lower();
}

bool BackgroundPicture::eventFilter(QObject* watched, QEvent* event) {
    // The parent's children made after this one would cover it; a resize would uncover it.
    if (watched == parentWidget() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::ChildAdded ||
         event->type() == QEvent::Show))
        FillParent();
    return QWidget::eventFilter(watched, event);
}

void BackgroundPicture::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
    QColor veil = palette().color(QPalette::Window);
    veil.setAlphaF(kVeil);
    painter.fillRect(rect(), veil);
}

} // namespace quorvel
