#pragma once
// One pointer per window, filled by Application in creation order. A window may use the
// windows made before it in its constructor, and any window in its handlers.

namespace quorvel {

class TForm1;
class TForm5;
class TForm6;

struct Windows {
    TForm1* form1 = nullptr; // main window
    TForm6* form6 = nullptr; // reader
    TForm5* form5 = nullptr; // Manage Info Text
};

} // namespace quorvel
