// Records: any lines are read without harm; a record composed from values reads every value
// back, and a saved record loads as saved.

#include "core/infotext.h"
#include "fuzz/fuzz_support.h"

using namespace quorvel;
using namespace quorvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    const QStringList lines = Lines(Text(data, size));
    (void)InfoTextImdbId(lines);
    for (const InfoSection& section : kInfoSections)
        (void)InfoFieldValue(lines, QString::fromLatin1(section.label));

    // The first line is the title, the next 17 the values.
    QStringList values = lines.mid(1, 17);
    for (const QString& line : lines.mid(0, 18))
        for (const InfoSection& section : kInfoSections)
            if (line == QLatin1String(section.label))
                return 0; // a value that is a label is read as one: not a record's value
    const QString title = lines.value(0);
    const QStringList record = ComposeInfoText(title, values);
    Check(record.size() == kInfoTextLineCount, "a record has 55 lines",
          QString::number(record.size()));
    while (values.size() < 17)
        values << QString();
    for (std::size_t i = 0; i + 1 < kInfoSections.size(); ++i) {
        const QString& value = values[qsizetype(i)];
        const QString read = InfoFieldValue(record, QString::fromLatin1(kInfoSections[i].label));
        Check(read == (value.isEmpty() ? QStringLiteral("N/A") : value),
              "a composed value reads back", read, value);
    }
    const QString id = InfoTextImdbId(record).value_or(QString());
    Check(id == values[15], "the identifier reads back", id, values[15]);

    const QString path = Scratch(QStringLiteral("record.txt"));
    const Result<TextEncoding> saved = SaveInfoText(path, record);
    Check(saved.ok(), "a record can be saved", saved.error());
    const Result<TextFile> loaded = LoadInfoText(path);
    Check(loaded.ok() && loaded->lines == record, "a saved record loads as saved",
          loaded.ok() ? loaded->lines.join(u'|') : loaded.error(), record.join(u'|'));
    return 0;
}
