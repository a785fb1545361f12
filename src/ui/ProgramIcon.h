#pragma once
// The program's pictures, drawn at any size: its icon (a cash register) and the two help buttons' pictures.
#include <QPixmap>

QPixmap ProgramPixmap(int width, int height);

enum class HelpPicture {
    Topic,   // help on the page in front: a question mark
    Contents // the help document's contents: an open book
};
QPixmap HelpPixmap(HelpPicture picture, int size);
