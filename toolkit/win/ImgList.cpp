#include "win/ImgList.h"

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() { SetHandle(nullptr); }

void TCustomImageList::SetHandle(HIMAGELIST handle) {
    if (handle_ && !shareImages_ && handle_ != handle) ImageList_Destroy(handle_);
    handle_ = handle;
    if (handle_) {
        int cx = 0, cy = 0;
        if (ImageList_GetIconSize(handle_, &cx, &cy)) width_ = cx, height_ = cy;
    }
    if (!Destroying()) Change();
}

int TCustomImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

void TCustomImageList::SetBkColor(COLORREF color) {
    bkColor_ = color;
    if (handle_) ImageList_SetBkColor(handle_, color == clNone ? CLR_NONE : color);
}

void TCustomImageList::GetIcon(int index, TIcon& icon) const {
    icon.SetHandle(handle_ && index >= 0 && index < Count() ? ImageList_GetIcon(handle_, index, ILD_NORMAL)
                                                            : nullptr);
}

void TCustomImageList::GetBitmap(int index, TBitmap& bitmap) const {
    if (!handle_ || index < 0 || index >= Count()) {
        bitmap.Clear();
        return;
    }
    TUniqueBitmap image = RenderAlphaBitmap(width_, height_, [&](HDC dc) { Draw(dc, 0, 0, index); });
    bitmap.SetHandle(image.Release(), width_, height_);
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index) const {
    if (handle_) ImageList_Draw(handle_, index, dc, x, y, ILD_TRANSPARENT);
}

TImageList::TImageList(TComponent* owner, int width, int height) : TCustomImageList(owner) {
    SetHandle(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 5, 5));
}

int TImageList::AddIcon(HICON icon) {
    const int index = ImageList_ReplaceIcon(Handle(), -1, icon);
    Change();
    return index;
}

int TImageList::AddIconResource(HINSTANCE module, const wchar_t* name) {
    TUniqueIcon icon(
        static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, Width(), Height(), LR_DEFAULTCOLOR)));
    if (!icon) return -1;
    return AddIcon(icon.Get());
}
