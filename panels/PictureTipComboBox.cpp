// Picture ids of the list editor's items.
#include "panels/PictureTipComboBox.h"

void CPictureTipComboBox::SetPictures(const int* ids, int count) {
    m_pictures.assign(ids, ids + (ids != nullptr && count > 0 ? count : 0));
}

int CPictureTipComboBox::GetPictureOf(int index) const {
    return index >= 0 && index < static_cast<int>(m_pictures.size()) ? m_pictures[index] : -1;
}
