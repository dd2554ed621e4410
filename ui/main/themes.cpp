#include "ui/main/themes.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleFactory>

#include <array>

// The resources live in a static library: without this nothing would pull them in. The macro
// must be used outside any namespace.
static void InitQuorvelResources() {
    Q_INIT_RESOURCE(quorvel);
}

namespace quorvel {

namespace {

struct CarriedStyle {
    const char* name;
    const char* resource;
};

constexpr std::array<CarriedStyle, 5> kCarried{{
    {"Aqua Graphite", ":/styles/AQUAGRAPHITE"},
    {"Cyan Night", ":/styles/CYANNIGHT"},
    {"Iceberg Classico", ":/styles/ICEBERGCLASSICO"},
    {"Ruby Graphite", ":/styles/RUBYGRAPHITE"},
    {"TabletDark", ":/styles/TABLETDARK"},
}};

struct Theme {
    const char* style;
    const char* preview;
};

// The index is what Options.ini stores as Theme: the order of the sorted list never changes.
constexpr std::array<Theme, 6> kThemes{{
    {"Iceberg Classico", ":/previews/I0"}, // Antartica
    {"Windows", ":/previews/i1"},          // Classic Interface
    {"TabletDark", ":/previews/i2"},       // Dark Knight
    {"Aqua Graphite", ":/previews/I3"},    // Dark Water
    {"Ruby Graphite", ":/previews/i4"},    // Night Erruption
    {"Cyan Night", ":/previews/i5"},       // Under the stars
}};

const char* const kAppliedProperty = "quorvelStyle";
const char* const kPlatformStyleProperty = "quorvelPlatformStyle";

// Fusion draws check marks, arrows and the parts of dialogs a sheet does not reach from the
// palette, so each sheet names its colours in a block at its top: "palette", one "role #rrggbb"
// a line, "end".
QPalette SheetPalette(const QString& sheet, const QPalette& base) {
    QPalette palette = base;
    const qsizetype start = sheet.indexOf(QLatin1String("\npalette\n"));
    const qsizetype end = sheet.indexOf(QLatin1String("\nend\n"), start);
    if (start < 0 || end < 0)
        return palette;
    static const QRegularExpression line(QStringLiteral("^(\\w+) (#[0-9a-fA-F]{6})$"),
                                         QRegularExpression::MultilineOption);
    const struct {
        const char* name;
        QPalette::ColorRole role;
    } roles[] = {
        {"window", QPalette::Window},
        {"windowtext", QPalette::WindowText},
        {"base", QPalette::Base},
        {"alternatebase", QPalette::AlternateBase},
        {"text", QPalette::Text},
        {"button", QPalette::Button},
        {"buttontext", QPalette::ButtonText},
        {"highlight", QPalette::Highlight},
        {"highlightedtext", QPalette::HighlightedText},
        {"tooltipbase", QPalette::ToolTipBase},
        {"tooltiptext", QPalette::ToolTipText},
        {"placeholdertext", QPalette::PlaceholderText},
        {"link", QPalette::Link},
    };
    auto it = line.globalMatch(sheet.mid(start, end - start));
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1);
        const QColor colour(match.captured(2));
        if (name == QLatin1String("disabledtext")) {
            for (QPalette::ColorRole role :
                 {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                palette.setColor(QPalette::Disabled, role, colour);
            continue;
        }
        for (const auto& r : roles) {
            if (name == QLatin1String(r.name)) {
                palette.setColor(QPalette::Active, r.role, colour);
                palette.setColor(QPalette::Inactive, r.role, colour);
                if (r.role != QPalette::Text && r.role != QPalette::WindowText &&
                    r.role != QPalette::ButtonText)
                    palette.setColor(QPalette::Disabled, r.role, colour);
            }
        }
    }
    palette.setColor(QPalette::Light, palette.color(QPalette::Button).lighter(130));
    palette.setColor(QPalette::Midlight, palette.color(QPalette::Button).lighter(115));
    palette.setColor(QPalette::Mid, palette.color(QPalette::Button).darker(130));
    palette.setColor(QPalette::Dark, palette.color(QPalette::Button).darker(160));
    palette.setColor(QPalette::Shadow, palette.color(QPalette::Window).darker(250));
    return palette;
}

QString ReadSheet(const char* resource) {
    QFile file(QString::fromLatin1(resource));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

void RegisterStyles() {
    static const bool registered = (InitQuorvelResources(), true);
    (void)registered;
    // The platform's style, remembered once so that the plain look can come back to it.
    if (qApp && !qApp->property(kPlatformStyleProperty).isValid())
        qApp->setProperty(kPlatformStyleProperty, QApplication::style()->name());
}

bool ApplyStyle(const QString& name) {
    RegisterStyles();
    const QString platform = qApp->property(kPlatformStyleProperty).toString();
    // The sheets are drawn over Fusion, the one Qt style that takes every colour from the
    // palette; the plain look is the platform's own style with its own palette.
    const QString baseStyle =
        name == QLatin1String(kPlainStyle) ? platform : QStringLiteral("Fusion");
    QString sheet;
    if (name != QLatin1String(kPlainStyle)) {
        const CarriedStyle* found = nullptr;
        for (const CarriedStyle& style : kCarried) {
            if (name == QLatin1String(style.name))
                found = &style;
        }
        if (!found)
            return false;
        sheet = ReadSheet(found->resource);
        if (sheet.isEmpty())
            return false;
    }
    qApp->setStyleSheet(QString());
    if (QApplication::style()->name().compare(baseStyle, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(baseStyle));
    const QPalette standard = QApplication::style()->standardPalette();
    QApplication::setPalette(sheet.isEmpty() ? standard : SheetPalette(sheet, standard));
    qApp->setStyleSheet(sheet);
    qApp->setProperty(kAppliedProperty, name);
    return true;
}

QString AppliedStyle() {
    return qApp ? qApp->property(kAppliedProperty).toString() : QString();
}

QString ThemeStyle(int index) {
    if (index < 0 || index >= int(kThemes.size()))
        return {};
    return QString::fromLatin1(kThemes[size_t(index)].style);
}

QImage ThemePreview(int index) {
    RegisterStyles();
    if (index < 0 || index >= int(kThemes.size()))
        return {};
    return QImage(QString::fromLatin1(kThemes[size_t(index)].preview));
}

} // namespace quorvel
