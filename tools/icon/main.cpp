// quorvel-pictures ICON_FOLDER ABOUT_PICTURE: writes the program's icon in the layout of an
// icon theme and the about box's picture, at build time.
#include "platform/qtservices/PictureExport.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: quorvel-pictures ICON_FOLDER ABOUT_PICTURE\n";
        return 2;
    }
    const std::string error = quorvel::exportPictures(argv[1], argv[2]);
    if (!error.empty()) {
        std::cerr << "quorvel-pictures: " << error << '\n';
        return 1;
    }
    return 0;
}
