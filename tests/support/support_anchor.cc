// Keeps the support library non-empty.
namespace quorvel {
int TestSupportAnchor() {
    return 0;
}
} // namespace quorvel
