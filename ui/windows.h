#pragma once
// One pointer per window, filled by Application in creation order. A window may use the
// windows made before it in its constructor, and any window in its handlers.

namespace quorvel {

class TForm1;
class TForm6;
class TForm16;

struct Windows {
    TForm1* form1 = nullptr; // main window
    TForm6* form6 = nullptr; // reader

    TForm16* form16 = nullptr; // backup
};

} // namespace quorvel
