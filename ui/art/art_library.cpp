// The skin artwork library holds only resources; this file gives it an object of its own.
namespace ui_art {
int ArtLibraryAnchor() {
    return 0;
}
}  // namespace ui_art
