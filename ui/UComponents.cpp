#include "ui/UComponents.h"

#include <QVariant>

namespace {
const char* const OwnerProperty = "kdsComponentOwner";
} // namespace

MComponentOwner::~MComponentOwner() {
    DestroyComponents();
}

QList<QObject*> MComponentOwner::Components() const {
    QList<QObject*> result;
    result.reserve(FComponents.size());
    for (const auto& c : FComponents)
        if (c)
            result.append(c.data());
    return result;
}

QList<QPointer<QObject>> MComponentOwner::GuardedComponents() const {
    QList<QPointer<QObject>> result;
    result.reserve(FComponents.size());
    for (const auto& c : FComponents)
        if (c)
            result.append(c);
    return result;
}

void MComponentOwner::InsertComponent(QObject* Component) {
    if (!Component)
        return;
    // Components freed on their own (rows of an editor built again and again) leave empty places;
    // they go here so that the list of a long-lived owner does not grow with every one.
    FComponents.removeIf([](const QPointer<QObject>& c) { return c.isNull(); });
    for (const auto& c : FComponents)
        if (c == Component)
            return;
    FComponents.append(Component);
}

void MComponentOwner::RemoveComponent(QObject* Component) {
    for (qsizetype i = 0; i < FComponents.size(); ++i)
        if (FComponents[i] == Component) {
            FComponents.removeAt(i);
            return;
        }
}

void MComponentOwner::DestroyComponents() {
    // Last first, the reverse of creation; a component may free others on its way out,
    // which the guarded pointers notice.
    while (!FComponents.isEmpty()) {
        QPointer<QObject> c = FComponents.takeLast();
        if (c) {
            c->setProperty(OwnerProperty, QVariant());
            delete c.data();
        }
    }
}

MComponentOwner* AsComponentOwner(QObject* Object) {
    return dynamic_cast<MComponentOwner*>(Object);
}

QObject* ComponentOwner(const QObject* Component) {
    if (!Component)
        return nullptr;
    const QVariant v = Component->property(OwnerProperty);
    if (!v.isValid())
        return nullptr;
    return v.value<QPointer<QObject>>().data();
}

void SetComponentOwner(QObject* Component, QObject* Owner) {
    if (!Component)
        return;
    if (auto* old = AsComponentOwner(ComponentOwner(Component)))
        old->RemoveComponent(Component);
    auto* owner = AsComponentOwner(Owner);
    if (!owner) {
        Component->setProperty(OwnerProperty, QVariant());
        return;
    }
    Component->setProperty(OwnerProperty, QVariant::fromValue(QPointer<QObject>(Owner)));
    owner->InsertComponent(Component);
}

bool ComponentIsReading(const QObject* Component) {
    // The chain of owners is short; the bound guards against a cycle made by mistake.
    const QObject* c = Component;
    for (int depth = 0; c && depth < 64; ++depth) {
        if (auto* o = dynamic_cast<const MComponentOwner*>(c); o && o->IsReading())
            return true;
        c = ComponentOwner(c);
    }
    return false;
}
