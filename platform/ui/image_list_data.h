#pragma once
// The pictures of a CImageList, for the controls that show them.

#include "platform/ui/controls.h"

#include <QIcon>

#include <vector>

struct CImageList::Data {
    int width = 16, height = 16;
    std::vector<QIcon> pictures;
};

// The picture at `index`: a see-through one when the list lacks it, none without a list.
QIcon ImageListPicture(const CImageList::Data* images, int index);
