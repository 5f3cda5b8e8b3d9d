#pragma once
// A small module kind with one field and one check (Value above 9 fails with subcode 2), enough to
// exercise the record base and the numbered lists without the real kinds; and a second kind for
// copies across kinds.

#include "model/UunvBase.h"

#include <memory>

namespace kdstest {
class MUnvSample : public MUnvBase {
public:
    MUnvSample() { Clear(); }
    int Value = -1; // Clear gives 0: a new module shows that its constructor cleared it
    int ListKind() const override { return lkR; }
    std::unique_ptr<MUnvBase> CreateNew() const override { return std::make_unique<MUnvSample>(); }
    std::unique_ptr<MUnvBase> Clone() const override { return CloneOf(*this); }
    bool Equals(const MUnvBase& Other) const override {
        return SameKind(Other) && static_cast<const MUnvSample&>(Other).Value == Value;
    }
    void Assign(const MUnvBase& Source) override {
        MUnvBase::Assign(Source);
        Value = static_cast<const MUnvSample&>(Source).Value;
    }
    void Validate() const override {
        MUnvBase::Validate();
        RaiseIfFailed(Value > 9 ? 2 : 0);
    }
    void Clear() override {
        Value = 0;
        MUnvBase::Clear();
    }
};

class MUnvOther : public MUnvBase {
public:
    int ListKind() const override { return lkW; }
    std::unique_ptr<MUnvBase> CreateNew() const override { return std::make_unique<MUnvOther>(); }
};
} // namespace kdstest
