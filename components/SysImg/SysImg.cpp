#include "SysImg/SysImg.h"

#include <shellapi.h>
#include <shlobj.h>

#include <memory>

#include "SysImg/NewFile.h"
#include "SysImg/SysImgNames.h"
#include "core/Utf.h"
#include "win/Application.h"
#include "win/CarriedPointer.h"
#include "win/ComHandles.h"

static_assert(kCsidlDesktop == CSIDL_DESKTOP && kCsidlControls == CSIDL_CONTROLS &&
                  kCsidlPrinters == CSIDL_PRINTERS && kCsidlPersonal == CSIDL_PERSONAL &&
                  kCsidlBitBucket == CSIDL_BITBUCKET && kCsidlDrives == CSIDL_DRIVES &&
                  kCsidlNetwork == CSIDL_NETWORK,
              "special-folder identifiers");

namespace {

// The shell's identifier list for `name`: a special folder by its display
// name, otherwise whatever the desktop folder makes of the name. That parse is
// relative to the desktop, so it takes both the bare name of a desktop item
// and a full path. None when the shell knows no such item.
TUniquePidl ItemIdList(const std::string& name) {
    EnterComApartmentForShell();
    ITEMIDLIST* raw = nullptr;
    HRESULT result = E_FAIL;
    const int32_t folder = SpecialFolderId(name);
    if (folder >= 0) {
        result = SHGetSpecialFolderLocation(Application ? Application->Handle() : nullptr, folder, &raw);
    } else {
        TComRef<IShellFolder> desktop;
        if (SUCCEEDED(SHGetDesktopFolder(desktop.Receive())) && desktop) {
            std::wstring wide = Widen(name);
            ULONG eaten = 0;
            ULONG attributes = 0;
            result = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, &raw, &attributes);
        }
    }
    TUniquePidl pidl(raw);
    if (FAILED(result)) pidl.reset();
    return pidl;
}

// The system list's index from an SHGetFileInfoW query; 0 when there is none.
// Index 0 counts as none too: callers cannot tell it from a failure.
int SystemIconIndex(const wchar_t* pathOrPidl, UINT flags) {
    EnterComApartmentForShell();
    SHFILEINFOW info{};
    SHGetFileInfoW(pathOrPidl, 0, &info, sizeof info, flags | SHGFI_SYSICONINDEX);
    return info.iIcon > 0 ? info.iIcon : 0;
}

// Any directory entry, file or folder, of that name; a bare name is looked
// up in the current directory.
bool EntryExists(const std::string& name) {
    return !name.empty() && GetFileAttributesW(Widen(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TSysImageList::TSysImageList(TComponent* owner)
    : TCustomImageList(owner),
      random_(static_cast<std::minstd_rand::result_type>(GetTickCount64() ^ GetCurrentProcessId() ^
                                                         reinterpret_cast<uintptr_t>(this))) {
    SetDrawingStyle(TDrawingStyle::dsTransparent);
    // Not bound yet: asking the shell for its list makes the shell build it,
    // icons and all, which the program only needs for the desktop entries'
    // menu, well after start-up.
}

void TSysImageList::HandleNeeded() const {
    // Binding changes the handle but not what any user of the list sees.
    if (!bound_) const_cast<TSysImageList*>(this)->Bind(false);
}

void TSysImageList::SetIconSize(TIconSize size) {
    if (size == iconSize_) return;
    iconSize_ = size;
    Bind(true);
}

unsigned TSysImageList::SizeFlag() const {
    return iconSize_ == TIconSize::isLargeIcons ? SHGFI_LARGEICON : SHGFI_SMALLICON;
}

void TSysImageList::Bind(bool signal) {
    bound_ = true;
    EnterComApartmentForShell();
    SHFILEINFOW info{};
    const DWORD_PTR list = SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SizeFlag());
    // The list is the shell's: releasing or replacing it never destroys it.
    SetHandle(TBorrowedImageList(CarriedPointer<HIMAGELIST>(list)), signal);
}

int TSysImageList::FileIconIndex(const std::string& name, bool open) {
    // The indexes are those of the bound list.
    HandleNeeded();
    return Lookup(name, open, true);
}

int TSysImageList::Lookup(const std::string& name, bool open, bool mayUseTempFile) {
    const UINT flags = SizeFlag() | (open ? SHGFI_OPENICON : 0);
    if (const TUniquePidl pidl = ItemIdList(name)) {
        return SystemIconIndex(reinterpret_cast<const wchar_t*>(pidl.get()), flags | SHGFI_PIDL);
    }
    // Not an item the shell knows: try the type by a wildcard name of it.
    // Without SHGFI_USEFILEATTRIBUTES the shell resolves that name as a path,
    // relative to the current directory: it succeeds only where a file of
    // the type is there (Wine then takes the first match).
    const std::string extension = FileExtension(name);
    if (const int index = SystemIconIndex((L"*" + Widen(extension)).c_str(), flags)) return index;
    // A real entry that the shell could not place keeps its 0; for a name
    // that is not there, a file of the same type that is gives the type's icon.
    if (!mayUseTempFile || EntryExists(name)) return 0;
    return TempFileIconIndex(extension, open);
}

int TSysImageList::TempFileIconIndex(const std::string& extension, bool open) {
    wchar_t directory[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    if (length == 0 || length > MAX_PATH) return 0;
    const std::wstring suffix = Widen(extension);
    for (int candidate = 0; candidate < kTempFileCandidates; ++candidate) {
        // GetTempFileName uses the number's low 16 bits. With a non-zero number
        // it only forms the name ("TMP<hex>.TMP"): it neither creates the file
        // nor checks that the name is free; with 0 it would create one itself.
        UINT number = TempFileNumber() & 0xFFFF;
        if (number == 0) number = 1;
        wchar_t base[MAX_PATH];
        if (!GetTempFileNameW(directory, L"TMP", number, base)) return 0;
        const TNewFile file(std::wstring(base) + suffix);
        // The file is removed when `file` goes, whatever the lookup does. The
        // inner lookup may not fall back again: one level at most.
        if (file.Created()) return Lookup(Narrow(file.Path()), open, false);
        if (file.Error() != ERROR_FILE_EXISTS && file.Error() != ERROR_ALREADY_EXISTS) return 0;
    }
    return 0;
}

unsigned TSysImageList::TempFileNumber() { return std::uniform_int_distribution<unsigned>(1, 99)(random_); }
