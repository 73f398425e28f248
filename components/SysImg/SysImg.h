// TSysImageList: an image list bound to the shell's system image list, the
// one list of icons the shell keeps for every file type, folder and special
// folder, so that any control that takes an image list can show shell icons
// by index. The list belongs to the shell: this component only borrows it.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "win/ImgList.h"

enum class TIconSize : uint8_t { isSmallIcons, isLargeIcons };

class TSysImageList : public TCustomImageList {
public:
    // Small icons, transparent drawing, the shell's list shared. It is bound
    // when it is first used, which looks to every user as if it had been bound
    // from the start: that first binding signals no change.
    explicit TSysImageList(TComponent* owner);

    TIconSize IconSize() const { return iconSize_; }
    // Binds to the shell's list of the new size; an equal value does nothing.
    void SetIconSize(TIconSize size);

    // The index in the bound list of the icon of `name` (UTF-8): a special
    // folder's display name ("Recycle Bin", any letter case), an item of the
    // desktop by bare name, a full path, or, failing those, a file type by
    // the name's extension. `open` asks for the open-state icon (folders).
    // 0 when the shell gives none.
    int FileIconIndex(const std::string& name, bool open);

    // How many candidate names the temporary-file fallback tries before it
    // gives up because each one is taken.
    static constexpr int kTempFileCandidates = 8;

protected:
    void HandleNeeded() const override;
    // The unique number GetTempFileName gets for a candidate name of the
    // temporary-file fallback: pseudo-random, 1..99. A number whose low 16
    // bits are 0 is taken as 1: given 0, GetTempFileName creates a file itself.
    virtual unsigned TempFileNumber();

private:
    void Bind(bool signal);
    unsigned SizeFlag() const;
    int Lookup(const std::string& name, bool open, bool mayUseTempFile);
    int TempFileIconIndex(const std::string& extension, bool open);

    TIconSize iconSize_ = TIconSize::isSmallIcons;
    bool bound_ = false;
    std::minstd_rand random_;
};
