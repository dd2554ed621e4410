// Keeps the library non-empty until the windows arrive.
namespace quorvel {
int UiLibraryAnchor() { return 0; }
} // namespace quorvel
