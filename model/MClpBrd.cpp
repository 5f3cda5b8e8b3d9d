#include "model/MClpBrd.h"

#include "model/UcstmExp.h"

TMUnvClipBoard* MUnvClipBoard = nullptr;

void TMUnvClipBoard::Clear() {
    Buffer.Clear();
}

void TMUnvClipBoard::SetKind(int AKind) {
    Kind = std::uint8_t(AKind);
}

bool TMUnvClipBoard::CopyInto(MUnvList& List, int Number, bool UseSelection, MUnvList& Into) {
    Into.Clear();
    try {
        if (UseSelection) {
            try {
                List.CopySelectedTo(Into);
                return true;
            } catch (const MException& e) {
                if (e.Code != 1004 || Number < 1)
                    throw;
            }
        } else if (Number < 1) {
            return false;
        }
        List.CopyNumberTo(Number, Into);
        return false;
    } catch (const MException&) {
        Into.Clear();
        return false;
    }
}

void TMUnvClipBoard::Copy(MUnvList& List, int Number) {
    CopyInto(List, Number, true, Buffer);
}

void TMUnvClipBoard::Cut(MUnvList& List, int Number) {
    try {
        if (CopyInto(List, Number, true, Buffer))
            List.DeleteMarked(0);
        else if (Buffer.Count() > 0)
            List.DeleteNumber(Number);
    } catch (const MException&) {
    }
}

void TMUnvClipBoard::Paste(MUnvList& From, MUnvList& Dest, int At, bool Insert, bool Mirrored) {
    const int span = From.NumberSpan();
    if (span == 0)
        return;
    if (At < 0)
        At = From.MinNumber();
    // The first target is checked before room is made for the paste.
    Dest.CheckTargetNumber(At);
    if (Insert)
        Dest.ShiftNumbers(At, span);
    if (Mirrored)
        Dest.PasteMirroredFrom(From, At);
    else
        Dest.PasteFrom(From, At);
}

void TMUnvClipBoard::PasteInsert(MUnvList& Dest, int At) {
    Paste(Buffer, Dest, At, true, false);
}

void TMUnvClipBoard::PasteInsertMirrored(MUnvList& Dest, int At) {
    Paste(Buffer, Dest, At, true, true);
}

void TMUnvClipBoard::PasteOver(MUnvList& Dest, int At) {
    Paste(Buffer, Dest, At, false, false);
}

void TMUnvClipBoard::PasteOverMirrored(MUnvList& Dest, int At) {
    Paste(Buffer, Dest, At, false, true);
}

void TMUnvClipBoard::CopyToBuffer2(MUnvList& List, int Number, bool Selected) {
    CopyInto(List, Number, Selected, Buffer2);
}

void TMUnvClipBoard::PasteOverFromBuffer2(MUnvList& Dest, int At) {
    Paste(Buffer2, Dest, At, false, false);
}

void TMUnvClipBoard::PasteOverMirroredFromBuffer2(MUnvList& Dest, int At) {
    Paste(Buffer2, Dest, At, false, true);
}
