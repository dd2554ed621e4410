#pragma once

#include <QFrame>
#include <QImage>

namespace quorvel {

// An image box: the picture centred and scaled to fit, keeping its proportions, at whatever
// size the box has. Posters of both search tabs and the reader use it.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setPicture(const QImage& picture);
    void clearPicture() { setPicture(QImage()); }
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

} // namespace quorvel
