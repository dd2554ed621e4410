#pragma once
// One pointer per window, filled by Application in creation order. A window may use the
// windows made before it in its constructor, and any window in its handlers.

namespace quorvel {

class TForm1;
class TForm6;
class TForm7;
class TForm13;

struct Windows {
    TForm1* form1 = nullptr; // main window
    TForm6* form6 = nullptr; // reader
    TForm7* form7 = nullptr;   // album creator
    TForm13* form13 = nullptr; // album name request
};

} // namespace quorvel
