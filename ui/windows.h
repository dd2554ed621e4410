#pragma once
// One pointer per window, filled by Application in creation order. A window may use the
// windows made before it in its constructor, and any window in its handlers.

namespace quorvel {

class TForm1;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm16;
class TForm7;
class TForm12;
class TForm13;
class TAboutBox;
class TForm2;
class TForm8;
class TForm9;
class TForm10;
class TForm15;
class TForm17;
class TForm18;

struct Windows {
    TForm1* form1 = nullptr; // main window
    TForm6* form6 = nullptr; // reader
    TForm3* form3 = nullptr; // add favourite
    TForm4* form4 = nullptr; // manage favourites

    TForm16* form16 = nullptr; // backup
    TForm5* form5 = nullptr;   // Manage Info Text
    TForm7* form7 = nullptr;   // album creator
    TForm12* form12 = nullptr; // Info List Creator
    TForm13* form13 = nullptr; // album name request

    TAboutBox* aboutBox = nullptr; // about
    TForm2* form2 = nullptr;       // contact the author
    TForm8* form8 = nullptr;       // web update
    TForm9* form9 = nullptr;       // portable mode
    TForm10* form10 = nullptr;     // special thanks
    TForm15* form15 = nullptr;     // what's new
    TForm17* form17 = nullptr;     // other titles of the same name
    TForm18* form18 = nullptr;     // import videos
};

} // namespace quorvel
