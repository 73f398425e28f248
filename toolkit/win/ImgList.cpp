#include "win/ImgList.h"

#include <utility>

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::SetHandle(TUniqueImageList list) {
    const HIMAGELIST handle = list.Get();
    owned_ = std::move(list);
    Adopt(handle, true);
}

void TCustomImageList::SetHandle(TBorrowedImageList list, bool signal) {
    owned_.Reset();
    Adopt(list.Get(), signal);
}

void TCustomImageList::Adopt(HIMAGELIST handle, bool signal) {
    handle_ = handle;
    if (handle_) {
        int cx = 0, cy = 0;
        if (ImageList_GetIconSize(handle_, &cx, &cy)) width_ = cx, height_ = cy;
    }
    if (signal && !Destroying()) Change();
}

int TCustomImageList::Count() const {
    HandleNeeded();
    return handle_ ? ImageList_GetImageCount(handle_) : 0;
}

void TCustomImageList::GetIcon(int index, TIcon& icon) const {
    HandleNeeded();
    icon.SetHandle(handle_ && index >= 0 && index < Count() ? ImageList_GetIcon(handle_, index, ILD_NORMAL)
                                                            : nullptr);
}

void TCustomImageList::GetBitmap(int index, TBitmap& bitmap) const {
    HandleNeeded();
    if (!handle_ || index < 0 || index >= Count()) {
        bitmap.Clear();
        return;
    }
    TUniqueBitmap image = RenderAlphaBitmap(width_, height_, [&](HDC dc) { Draw(dc, 0, 0, index); });
    bitmap.SetHandle(image.Release(), width_, height_);
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index) const {
    HandleNeeded();
    if (!handle_) return;
    static constexpr UINT kStyleFlags[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    const auto listColour = [](COLORREF c) { return c == clNone ? CLR_NONE : c; };
    // The colours are passed to each draw rather than set on the list: a
    // borrowed list is shared with everyone else in the process.
    ImageList_DrawEx(handle_, index, dc, x, y, 0, 0, listColour(bkColor_), listColour(blendColor_),
                     kStyleFlags[static_cast<int>(drawingStyle_)]);
}

TImageList::TImageList(TComponent* owner, int width, int height) : TCustomImageList(owner) {
    SetSize(width, height);
}

void TImageList::SetSize(int width, int height) {
    SetHandle(TUniqueImageList(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 5, 5)));
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
