#include "ui/tools/reader.h"

namespace quorvel {

TForm6::TForm6(Windows& windows, Services& services, QWidget* parent)
    : QDialog(parent), windows_(windows), services_(services) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Quorvel Reader"));
}

} // namespace quorvel
