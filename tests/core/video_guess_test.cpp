#include "core/video_guess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

enum Sureness { Doubtful, Sure };
enum Kind { Film, Series };

struct GuessCase {
    const char* path;  // raw bytes, as the file system gives them
    const char* title; // UTF-8
    int year;          // 0 for none
    Sureness sure;
    Kind kind;
};

TEST(GuessVideo, TitleYearAndSurenessFromTheNames) {
    const GuessCase cases[] = {
        // Release names of every common shape.
        {"The.Matrix.1999.1080p.BluRay.x264-GROUP.mkv", "The Matrix", 1999, Sure, Film},
        {"Blade.Runner.2049.2017.1080p.WEB-DL.DD5.1.H264-FGT.mkv", "Blade Runner 2049", 2017, Sure,
         Film},
        {"Wonder.Woman.1984.2020.2160p.UHD.BluRay.x265.10bit.HDR.DTS-HD.MA.5.1-SWTYBLZ.mkv",
         "Wonder Woman 1984", 2020, Sure, Film},
        {"Spider-Man.No.Way.Home.2021.1080p.WEB-DL.DDP5.1.Atmos.H.264-CMRG.mkv",
         "Spider-Man No Way Home", 2021, Sure, Film},
        {"Se7en.1995.720p.BRRip.XviD.AC3-FLAWL3SS.avi", "Se7en", 1995, Sure, Film},
        {"Joker.2019.1080p.WEBRip.x264-[YTS.LT].mp4", "Joker", 2019, Sure, Film},
        {"Joker (2019) [1080p] [YTS.MX].mp4", "Joker", 2019, Sure, Film},
        {"[GROUP] Spirited Away (2001) [BD 1080p].mkv", "Spirited Away", 2001, Sure, Film},
        {"Nomadland.2020.1080p.AMZN.WEB-DL.DDP5.1.H.264-NTG.mkv", "Nomadland", 2020, Sure, Film},
        {"Tenet 2020 2160p UHD BluRay REMUX HDR10 HEVC Atmos-EPSiLON.mkv", "Tenet", 2020, Sure,
         Film},
        {"Nosferatu.1922.DVDRip.XviD-[GRP].avi", "Nosferatu", 1922, Sure, Film},
        {"The Wolf of Wall Street (2013) 1080p BrRip x264 - YIFY.mp4", "The Wolf of Wall Street",
         2013, Sure, Film},
        {"Parasite.2019.KOREAN.1080p.BluRay.H264.AAC-VXT.mp4", "Parasite", 2019, Sure, Film},
        {"Ocean's.Eleven.2001.REMASTERED.720p.BluRay.x264.mkv", "Ocean's Eleven", 2001, Sure, Film},
        {"Limitless.2011.EXTENDED.1080p.mkv", "Limitless", 2011, Sure, Film},
        {"The Dark Knight 2008 1080p WEBRip x264 AAC.mp4", "The Dark Knight", 2008, Sure, Film},
        {"the_big_lebowski_1998_dvdrip.avi", "the big lebowski", 1998, Sure, Film},
        {"www.Torrenting.com - Gladiator.2000.1080p.mkv", "Gladiator", 2000, Sure, Film},
        {"Old.Harbour.1080p.BluRay.x264-GRP.mkv", "Old Harbour", 0, Doubtful, Film},
        // Titles holding numbers, years, punctuation and tag-like words.
        {"2001 A Space Odyssey 1968.mkv", "2001 A Space Odyssey", 1968, Sure, Film},
        {"Blade Runner 2049 (2017).mkv", "Blade Runner 2049", 2017, Sure, Film},
        {"Blade Runner 2049.mkv", "Blade Runner 2049", 0, Doubtful, Film},
        {"1917 (2019).mp4", "1917", 2019, Doubtful, Film},
        {"1917.2019.1080p.mkv", "1917", 2019, Doubtful, Film},
        {"Alien\xC2\xB3 (1992).mkv", "Alien\xC2\xB3", 1992, Sure, Film},
        {"E.T.the.Extra-Terrestrial.1982.1080p.mkv", "E.T. the Extra-Terrestrial", 1982, Sure,
         Film},
        {"S.W.A.T.2003.mkv", "S.W.A.T.", 2003, Doubtful, Film},
        {"Mission Impossible - Fallout (2018).mkv", "Mission Impossible - Fallout", 2018, Sure,
         Film},
        {"Crouching Tiger, Hidden Dragon (2000).mkv", "Crouching Tiger, Hidden Dragon", 2000, Sure,
         Film},
        {"Airplane! (1980).mkv", "Airplane!", 1980, Sure, Film},
        {"Charlotte's Web (2006).avi", "Charlotte's Web", 2006, Sure, Film},
        {"The French Connection 1971.mkv", "The French Connection", 1971, Sure, Film},
        {"Kill Bill Vol. 1 (2003).mkv", "Kill Bill Vol 1", 2003, Sure, Film},
        {"The Great Train Robbery 1903.avi", "The Great Train Robbery", 1903, Sure, Film},
        {"Train Robbery 1869.avi", "Train Robbery 1869", 0, Doubtful, Film},
        {"Future (2099).mkv", "Future", 0, Doubtful, Film},
        {"Blade Runner (1982) (Director's Cut).mkv", "Blade Runner", 1982, Sure, Film},
        // One short word, or no year, is doubtful even when read right.
        {"Heat (1995).mkv", "Heat", 1995, Doubtful, Film},
        {"Up.2009.mkv", "Up", 2009, Doubtful, Film},
        {"Soul.2020.PROPER.1080p.WEB.H264-NAISU.mkv", "Soul", 2020, Doubtful, Film},
        {"Inception.mkv", "Inception", 0, Doubtful, Film},
        // Accented names, in UTF-8 and in the 8-bit code page.
        {"Am\xC3\xA9lie (2001).avi", "Am\xC3\xA9lie", 2001, Sure, Film},
        {"Am\xE9lie (2001).avi", "Am\xC3\xA9lie", 2001, Sure, Film},
        {"L\xE9on (1994).mkv", "L\xC3\xA9on", 1994, Doubtful, Film},
        {"Le.Fabuleux.Destin.d'Am\xE9lie.Poulain.2001.FRENCH.DVDRip.avi",
         "Le Fabuleux Destin d'Am\xC3\xA9lie Poulain", 2001, Sure, Film},
        {"Films/Les Mis\xE9rables (2012)/movie.mkv", "Les Mis\xC3\xA9rables", 2012, Doubtful, Film},
        // Names that say nothing take their folder's, which makes them doubtful.
        {"The Matrix (1999)/movie.mkv", "The Matrix", 1999, Doubtful, Film},
        {"Movie/VIDEO_TS/VTS_01_1.VOB", "Movie", 0, Doubtful, Film},
        {"Gladiator (2000)/VIDEO_TS/VTS_01_1.VOB", "Gladiator", 2000, Doubtful, Film},
        {"Avatar.2009.1080p.BluRay/BDMV/STREAM/00000.m2ts", "Avatar", 2009, Doubtful, Film},
        {"Brazil (1985)/title_t00.mkv", "Brazil", 1985, Doubtful, Film},
        {"Fargo 1996/1080p.BluRay.x264-GRP.mkv", "Fargo", 1996, Doubtful, Film},
        {"Films/Casablanca 1942/CD1/01.avi", "Casablanca", 1942, Doubtful, Film},
        {"Movies/1917.mkv", "1917", 0, Doubtful, Film},
        // A folder that agrees with the file lends it its year.
        {"Zodiac (2007)/Zodiac.mkv", "Zodiac", 2007, Sure, Film},
        {"The.Matrix.1999.1080p.BluRay.x264-GRP/matrix.mkv", "The Matrix", 1999, Sure, Film},
        {"Kill Bill (2003)/Kill Bill Vol 2.mkv", "Kill Bill Vol 2", 0, Doubtful, Film},
        // Parts of one film.
        {"Casablanca.1942.CD1.avi", "Casablanca", 1942, Sure, Film},
        {"The Godfather part1.avi", "The Godfather", 0, Doubtful, Film},
        {"Lawrence of Arabia (1962) - Disc 2.mkv", "Lawrence of Arabia", 1962, Sure, Film},
        {"Harry Potter and the Deathly Hallows Part 2 (2011).mkv",
         "Harry Potter and the Deathly Hallows Part 2", 2011, Sure, Film},
        {"Friday the 13th Part 2.mkv", "Friday the 13th Part 2", 0, Doubtful, Film},
        // Series.
        {"Show.Name.S01E02.720p.HDTV.x264-GRP.mkv", "Show Name", 0, Doubtful, Series},
        {"Show Name/Season 1/1x02 - Title.avi", "Show Name", 0, Doubtful, Series},
        {"Breaking.Bad.s1e2.mkv", "Breaking Bad", 0, Doubtful, Series},
        {"Fargo.2014.S01E01.720p.mkv", "Fargo", 2014, Sure, Series},
        {"Doctor Who (2005)/Season 1/Doctor.Who.S01E01.Rose.mkv", "Doctor Who", 2005, Sure, Series},
        {"Sherlock/Series 2/02 - The Hounds of Baskerville.mkv", "Sherlock", 0, Doubtful, Series},
        {"Show Name - S01 E02 - Pilot.mkv", "Show Name", 0, Doubtful, Series},
        {"[SubsPlease] Frieren - 01 (1080p) [F02B9CEE].mkv", "Frieren", 0, Doubtful, Series},
        {"Game of Thrones/Season 8/Game.of.Thrones.S08E06.The.Iron.Throne.2019.mkv",
         "Game of Thrones", 0, Doubtful, Series},
        {"The.Expanse.S02.1080p.BluRay.x264-ROVERS/the.expanse.s02e05.1080p.mkv", "the expanse", 0,
         Doubtful, Series},
        {"Trailer.Park.Boys.S01E01.mkv", "Trailer Park Boys", 0, Doubtful, Series},
        {"Extras/Season 1/Extras.S01E01.mkv", "Extras", 0, Doubtful, Series},
        // Identifiers make a guess sure.
        {"Coco (2017) {imdb-tt2380307}.mkv", "Coco", 2017, Sure, Film},
        {"The Matrix/tt0133093.mkv", "The Matrix", 0, Sure, Film},
        {"Heat.1995.1080p.BluRay.x264-GRP [tt0113277].mkv", "Heat", 1995, Sure, Film},
    };
    for (const GuessCase& c : cases) {
        SCOPED_TRACE(c.path);
        const VideoGuess guess = GuessVideo(c.path);
        EXPECT_EQ(guess.title, QString::fromUtf8(c.title));
        EXPECT_EQ(guess.year.value_or(0), c.year);
        EXPECT_EQ(guess.sure, c.sure == Sure);
        EXPECT_EQ(guess.series, c.kind == Series);
        EXPECT_FALSE(guess.leftOut);
    }
}

TEST(GuessVideo, IdentifiersAndEditionsAreKeptApartFromTheTitle) {
    struct Case {
        const char* path;
        const char* imdbId;
        QStringList editions;
    };
    const Case cases[] = {
        {"Coco (2017) {imdb-tt2380307}.mkv", "tt2380307", {}},
        {"Movies/The Matrix (1999) [tt0133093]/movie.mkv", "tt0133093", {}},
        {"Heat.1995.tt01132770.mkv", "tt01132770", {}},
        {"Matt12345678.1999.mkv", "", {}}, // "tt" inside a word
        {"Ocean's.Eleven.2001.REMASTERED.720p.BluRay.x264.mkv", "", {"Remastered"}},
        {"Aliens.1986.Special.Edition.PROPER.1080p.mkv", "", {"Special Edition", "Proper"}},
        {"Blade Runner (1982) (Director's Cut).mkv", "", {"Director's Cut"}},
        {"The Lord of the Rings (2001) {edition-Extended}.mkv", "", {"Extended"}},
        {"Brazil.1985.Directors.Cut.UNRATED.mkv", "", {"Director's Cut", "Unrated"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const VideoGuess guess = GuessVideo(c.path);
        EXPECT_EQ(guess.imdbId, QString::fromLatin1(c.imdbId));
        EXPECT_EQ(guess.editions, c.editions);
    }
}

TEST(GuessVideo, SamplesTrailersAndExtrasAreLeftOut) {
    const char* const leftOut[] = {
        "The.Matrix.1999.1080p.BluRay.x264-GRP/Sample/matrix-sample.mkv",
        "the.matrix.1999.sample.mkv",
        "sample-the.matrix.mkv",
        "Inception (2010)/Inception-trailer.mp4",
        "Inception (2010)/Featurettes/Making Of.mkv",
        "Inception (2010)/Extras/Deleted Scene 1.mkv",
        "Inception (2010)/Behind The Scenes/Dream Levels.mkv",
        "Trailer.mkv",
    };
    for (const char* path : leftOut) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(GuessVideo(path).leftOut);
    }
}

TEST(GuessVideo, PartsEpisodesAndCopiesShareOneKey) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"Casablanca.1942.CD1.avi", "Casablanca.1942.CD2.avi", true},
        {"The Godfather part1.avi", "The Godfather part2.avi", true},
        {"Lawrence of Arabia (1962) - Disc 1.mkv", "Lawrence of Arabia (1962) - Disc 2.mkv", true},
        {"Casablanca (1942)/CD1/movie.avi", "Casablanca (1942)/CD2/movie.avi", true},
        {"Gladiator (2000)/VIDEO_TS/VTS_01_1.VOB", "Gladiator (2000)/VIDEO_TS/VTS_01_2.VOB", true},
        {"Show.Name.S01E02.mkv", "Show Name/Season 2/2x05 - Other.avi", true},
        {"Heat (1995).mkv", "HD/Heat.1995.720p.mkv", true},
        {"Harry Potter and the Deathly Hallows Part 1 (2010).mkv",
         "Harry Potter and the Deathly Hallows Part 2 (2011).mkv", false},
        {"Dune (1984).mkv", "Dune (2021).mkv", false},
        {"Fargo (1996).mkv", "Fargo (1996)/Season 1/Fargo.S01E01.mkv", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(GuessVideo(c.a).key == GuessVideo(c.b).key, c.same);
    }
}

TEST(IsVideoFileName, KnownExtensionsInAnyCase) {
    const std::pair<const char*, bool> cases[] = {
        {"a.mkv", true}, {"a.MP4", true}, {"a.m2ts", true},      {"a.Vob", true},
        {"a.iso", true}, {"a.3gp", true}, {"a.srt", false},      {"a.nfo", false},
        {"mkv", false},  {".mkv", false}, {"a.mkv.part", false},
    };
    for (const auto& [name, video] : cases)
        EXPECT_EQ(IsVideoFileName(name), video) << name;
}

// Files and folders made from raw bytes, so that names that are not UTF-8 stay as they are.
void MakeFile(const QByteArray& root, const QByteArray& path) {
    for (qsizetype slash = path.indexOf('/'); slash >= 0; slash = path.indexOf('/', slash + 1))
        ::mkdir((root + '/' + path.left(slash)).constData(), 0755);
    const int fd = ::open((root + '/' + path).constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    ::close(fd);
}

TEST(WalkVideos, OneGuessPerTitleInWalkOrderWithoutLinksOrHiddenFolders) {
    QTemporaryDir root;
    QTemporaryDir outside;
    const QByteArray tree = QFile::encodeName(root.path());
    const QByteArray away = QFile::encodeName(outside.path());
    for (const char* path :
         {"Show Name/Season 2/Show.Name.S02E01.mkv", "Show Name/Season 1/Show.Name.S01E01.mkv",
          "Casablanca (1942)/Casablanca CD2.avi", "Casablanca (1942)/Casablanca CD1.avi",
          "Heat (1995)/Heat.mkv", "Heat (1995)/Sample/heat-sample.mkv", "Am\xE9lie (2001).avi",
          ".hidden/Hidden Film (2000).mkv", "notes.txt"})
        MakeFile(tree, path);
    MakeFile(away, "Far Film (2001).mkv");
    ASSERT_EQ(::symlink(away.constData(), (tree + "/Linked folder").constData()), 0);
    ASSERT_EQ(::symlink((away + "/Far Film (2001).mkv").constData(),
                        (tree + "/Linked Film (2002).mkv").constData()),
              0);

    const Result<VideoWalk> walk = WalkVideos(root.path());
    ASSERT_TRUE(walk) << walk.error().toStdString();
    QStringList paths;
    for (const VideoGuess& guess : walk->titles)
        paths << guess.path;
    EXPECT_EQ(paths, (QStringList{QString::fromUtf8("Am\xC3\xA9lie (2001).avi"),
                                  "Casablanca (1942)/Casablanca CD1.avi", "Heat (1995)/Heat.mkv",
                                  "Show Name/Season 1/Show.Name.S01E01.mkv"}));
    EXPECT_EQ(walk->videoFiles, 7);
    EXPECT_TRUE(walk->unreadableFolders.isEmpty());

    EXPECT_FALSE(WalkVideos(root.path() + "/missing"));
    // QTemporaryDir cannot remove a name that is not UTF-8.
    ::unlink((tree + "/Am\xE9lie (2001).avi").constData());
}

} // namespace
} // namespace quorvel
