#include "entry/label_painting.h"

void PaintLabels(PaintSurface& dc, std::initializer_list<Label> labels) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SetTextColor(kNavy);
    for (const Label& label : labels) dc.TextOut(label.x, label.y, label.text);
}
