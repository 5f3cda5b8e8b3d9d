#pragma once
// What every cell of a module row is to its row, whatever control it is: an ID (its place in the
// row's tab order, by which a kind shows or hides the cells an entry's type uses) and a way to
// empty it for a blank new entry. The row finds its cells by this interface alone, so a cell class
// added later is cleared and shown like the others without the row naming it.

class MRowCell {
public:
    virtual ~MRowCell() = default;
    virtual int ID() const = 0;
    virtual void SetID(int Value) = 0;
    // Empties the cell: no text, caption index 0, no colours, value 0.
    virtual void ClearCell() = 0;
};
