#pragma once

#include <QImage>
#include <QWidget>

namespace quorvel {

// A picture stretched over the whole of its parent, behind the parent's other children. A veil
// of the look's window colour lies over it, so that labels and boxes stay readable whatever
// the picture and whatever the look. The form names the built-in picture as `source`.
class BackgroundPicture : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString source READ source WRITE setSource)
public:
    explicit BackgroundPicture(QWidget* parent = nullptr);

    const QString& source() const { return source_; }
    void setSource(const QString& resource); // also shows it
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FillParent();

    QString source_;
    QImage picture_;
};

} // namespace quorvel
