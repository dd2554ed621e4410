// Favourites: any line is taken apart without harm; an entry made from a title and an
// identifier gives both back; a saved list loads as saved.

#include "core/favourites.h"
#include "fuzz/fuzz_support.h"

using namespace quorvel;
using namespace quorvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    const QStringList lines = Lines(Text(data, size));
    for (const QString& line : lines) {
        (void)FavouriteVideoId(line);
        (void)FavouriteTitle(line);
        (void)FavouriteIdPart(line);
    }

    // A YouTube identifier has 11 characters and no "=".
    const QString title = lines.value(0);
    const QString id = lines.value(1).left(11);
    if (id.size() == 11 && !id.contains(u'=')) {
        const QString entry = MakeFavouriteEntry(title, id);
        Check(FavouriteVideoId(entry) == id, "the identifier comes back", FavouriteVideoId(entry),
              id);
        // The entry's one "=" is its separator: a title's own are left out.
        QString shown = title;
        shown.remove(u'=');
        Check(FavouriteTitle(entry) == shown, "the title comes back", FavouriteTitle(entry), shown);
        Check(IsDuplicateFavourite(lines + QStringList{entry}, entry),
              "an entry of the list is a duplicate");
    }

    const QString path = Scratch(QStringLiteral("Favourites.lst"));
    const Status saved = SaveFavourites(path, lines);
    Check(saved.ok(), "a list can be saved", saved.error());
    const Result<TextFile> loaded = LoadFavourites(path);
    Check(loaded.ok() && loaded->lines == lines, "a saved list loads as saved",
          loaded.ok() ? loaded->lines.join(u'|') : loaded.error(), lines.join(u'|'));
    return 0;
}
