#pragma once
// The program's own clipboard of modules, apart from the system clipboard: every module window copies,
// cuts and pastes through it, and the Z window also drags rows within itself through its second
// buffer. It holds clones of modules of one kind and the code of that kind.

#include "model/UunvList.h"

#include <cstdint>

class TMUnvClipBoard {
public:
    TMUnvClipBoard() = default;
    TMUnvClipBoard(const TMUnvClipBoard&) = delete;
    TMUnvClipBoard& operator=(const TMUnvClipBoard&) = delete;

    // Clones appended as they are, keeping their numbers until a paste renumbers them.
    MUnvList Buffer;
    // The kind of the modules in Buffer as a project window index (N 0, S 1, Z 2, W 3, FS 4, FE 5,
    // FD 6, P 7, R 8); the windows set it before Copy and Cut and compare it before a paste.
    std::uint8_t Kind = 0;
    // The Z window's in-window copy, and the scratch of the special copy and move.
    MUnvList Buffer2;

    // Empties the main buffer.
    void Clear();
    void SetKind(int AKind);

    // The selected modules of List, or module Number (when at least 1) when none is selected; Cut
    // also removes them from List. Program errors are dropped: nothing copied, nothing removed.
    void Copy(MUnvList& List, int Number);
    void Cut(MUnvList& List, int Number);
    // Makes room at At by the buffer's span and stores the buffer from At on with its spacing (At
    // below 0: from the buffer's lowest number). Errors pass to the caller; a first target outside
    // the kind's numbers is refused before room is made.
    void PasteInsert(MUnvList& Dest, int At);
    void PasteInsertMirrored(MUnvList& Dest, int At);
    // Stores the buffer from At on over the modules there. The first error ends the paste and passes
    // to the caller; what was stored before it stays.
    void PasteOver(MUnvList& Dest, int At);
    void PasteOverMirrored(MUnvList& Dest, int At);

    // The second buffer: the selected modules (Selected) or module Number, the main buffer untouched.
    void CopyToBuffer2(MUnvList& List, int Number, bool Selected);
    void PasteOverFromBuffer2(MUnvList& Dest, int At);
    void PasteOverMirroredFromBuffer2(MUnvList& Dest, int At);

private:
    // Fills Into with the selection of List, or with module Number when nothing is selected.
    static bool CopyInto(MUnvList& List, int Number, bool UseSelection, MUnvList& Into);
    static void Paste(MUnvList& From, MUnvList& Dest, int At, bool Insert, bool Mirrored);
};

// The program's clipboard: created by the program entry right after the main window; null before.
extern TMUnvClipBoard* MUnvClipBoard;
