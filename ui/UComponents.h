#pragma once
// Ownership of components: a component is created with an owner that keeps it in an ordered list
// and frees it when the owner goes. The owner is not the Qt parent: a control owned by a
// form may sit inside a panel. Forms and panels deliver the language messages along these lists.

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class MComponentOwner {
public:
    MComponentOwner() = default;
    MComponentOwner(const MComponentOwner&) = delete;
    MComponentOwner& operator=(const MComponentOwner&) = delete;
    virtual ~MComponentOwner();

    // The owner as an object (the form or panel itself).
    virtual QObject* OwnerObject() = 0;
    // True while the owner is being built from its description (the loading phase of a form); the
    // setters of its components do not record then.
    virtual bool IsReading() const { return false; }

    // The living components in the order they were inserted.
    QList<QObject*> Components() const;
    // The same list held by guarded pointers, for walks whose steps may free other components.
    QList<QPointer<QObject>> GuardedComponents() const;
    int ComponentCount() const { return static_cast<int>(Components().size()); }
    void InsertComponent(QObject* Component);
    void RemoveComponent(QObject* Component);

protected:
    // Frees every component still alive; owners call it at the start of their destructor so that the
    // components go while the owner is still whole.
    void DestroyComponents();

private:
    QList<QPointer<QObject>> FComponents;
};

// Makes Owner (an MComponentOwner) the owner of Component: removes it from its old owner's list and
// appends it to the new one's. A null Owner only removes it.
void SetComponentOwner(QObject* Component, QObject* Owner);
// The owner of a component, or null.
QObject* ComponentOwner(const QObject* Component);
MComponentOwner* AsComponentOwner(QObject* Object);
// True while the component, or an owner up its chain, is being read (built in its loading phase).
bool ComponentIsReading(const QObject* Component);

// What every component may do when its owner has finished loading; called in component order after
// the owner's own finishing step.
class MLoadedComponent {
public:
    virtual ~MLoadedComponent() = default;
    virtual void Loaded() = 0;
};

// A free integer every component carries for its users (a button's result bit, a menu entry's
// number). A control that is also a member of the bilingual family inherits it from both sides and
// still has it once.
class MTag {
public:
    int Tag = 0;
};

// A plain notification: the sender only.
using TNotifyEvent = std::function<void(QObject* Sender)>;
