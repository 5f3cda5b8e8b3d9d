#include "ui/LanguagePack.h"
#include "ui/ULPackDM.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Records the events of a detail as short names with their argument.
struct EventLog {
    QStringList Events;
    void Wire(MLanguageDetail& d) {
        d.OnLanguageIDChange = [this](int n) { Events << QStringLiteral("lang %1").arg(n); };
        d.OnFontChange = [this] { Events << QStringLiteral("font"); };
        d.OnAlignEnableChanged = [this] { Events << QStringLiteral("align"); };
        d.OnSelfAlignEnableChanged = [this](bool v) { Events << QStringLiteral("selfalign %1").arg(v); };
        d.OnArabicEnableChanged = [this](bool v) { Events << QStringLiteral("arabic %1").arg(v); };
        d.BeforeLanguageDetailChange = [this](int n) { Events << QStringLiteral("before %1").arg(n); };
        d.AfterLanguageDetailChange = [this](int n) { Events << QStringLiteral("after %1").arg(n); };
    }
};

// A window registered with the pack: it keeps its own detail.
struct Client : MLanguageClient {
    M_LanguageDetail Detail;
    EventLog Log;
    MLanguagePack* Pack = nullptr;
    Client() { Log.Wire(Detail); }
    ~Client() override {
        if (Pack)
            Pack->UnregisterClient(this);
    }
    void Register(MLanguagePack& p) {
        Pack = &p;
        p.RegisterClient(this);
    }
    MLanguageDetail* ClientLanguageDetail() override { return &Detail; }
    void SetClientLanguageDetail(const MLanguageDetail& d) override { AssignLanguageDetail(Detail, d); }
    void LanguagePackFreed(MLanguagePack* p) override {
        if (Pack == p)
            Pack = nullptr;
    }
};

TEST(LanguagePack, SystemPackHoldsArabicAndEnglish) {
    TDMLanguagePack dm;
    EXPECT_EQ(DMLanguagePack, &dm);
    MLanguagePack& p = *dm.OLanguagePack;
    EXPECT_EQ(p.LanguageCount(), 2);
    EXPECT_EQ(p.LanguageNumber(), 0);
    EXPECT_FALSE(p.MasterFollow);
    const MLanguageDetail& ar = *p.Detail(0);
    const MLanguageDetail& en = *p.Detail(1);
    EXPECT_EQ(ar.LanguageName, QStringLiteral("العربية"));
    EXPECT_TRUE(ar.AlignEnable() && ar.SelfAlignEnable() && ar.ArabicEnable());
    EXPECT_EQ(en.LanguageName, QStringLiteral("English"));
    EXPECT_FALSE(en.AlignEnable() || en.SelfAlignEnable() || en.ArabicEnable());
    for (int i = 0; i < LanguageSlotCount; ++i) {
        EXPECT_EQ(p.Detail(i)->LanguageID(), i);
        EXPECT_TRUE(p.Detail(i)->LanguagePackFollow);
        EXPECT_TRUE(p.Detail(i)->Font() == ar.Font());
        if (i > 1) {
            EXPECT_EQ(p.Detail(i)->LanguageName, QStringLiteral("Default!!!"));
        }
    }
    EXPECT_EQ(p.Detail(-1), nullptr);
    EXPECT_EQ(p.Detail(LanguageSlotCount), nullptr);

    QStringList names{QStringLiteral("stale")};
    EXPECT_TRUE(p.GetLanguageNames(names));
    EXPECT_EQ(names, (QStringList{QStringLiteral("العربية"), QStringLiteral("English")}));
    p.SetLanguageCount(0);
    EXPECT_TRUE(p.GetLanguageNames(names));
    EXPECT_TRUE(names.isEmpty());
    // A count beyond the slots lists the slots only.
    p.SetLanguageCount(1000);
    EXPECT_TRUE(p.GetLanguageNames(names));
    EXPECT_EQ(names.size(), LanguageSlotCount);
}

TEST(LanguagePack, CopyingADetailRaisesItsEventsInOrder) {
    TDMLanguagePack dm;
    MLanguagePack& p = *dm.OLanguagePack;
    M_LanguageDetail d;
    AssignLanguageDetail(d, *p.Detail(0));
    EventLog log;
    log.Wire(d);

    AssignLanguageDetail(d, *p.Detail(1));
    EXPECT_EQ(log.Events, (QStringList{"before 1", "lang 1", "align", "selfalign 0", "arabic 0", "after 1"}));
    EXPECT_EQ(d.LanguageName, QStringLiteral("English"));

    // The same language again changes nothing.
    log.Events.clear();
    AssignLanguageDetail(d, *p.Detail(1));
    EXPECT_TRUE(log.Events.isEmpty());

    // The same index with other values: only the values that differ, no before or after.
    M_LanguageDetail other;
    other.StoreLanguageID(1);
    MLanguageFont f;
    QFont big = f.Font();
    big.setPixelSize(20);
    f.SetFont(big);
    other.SetFont(f);
    other.SetArabicEnable(true);
    AssignLanguageDetail(d, other);
    EXPECT_EQ(log.Events, (QStringList{"font", "arabic 1"}));
    // The follow flag and the events are not copied.
    other.LanguagePackFollow = false;
    AssignLanguageDetail(d, other);
    EXPECT_TRUE(d.LanguagePackFollow);
}

TEST(LanguagePack, SlotSetterGivesTheSourceTheSlotIndex) {
    MLanguagePack p;
    M_LanguageDetail src;
    src.StoreLanguageID(7);
    src.LanguageName = QStringLiteral("Third");
    src.SetAlignEnable(true);
    p.SetLang(2, src);
    EXPECT_EQ(src.LanguageID(), 2);
    EXPECT_EQ(p.Detail(2)->LanguageID(), 2);
    EXPECT_EQ(p.Detail(2)->LanguageName, QStringLiteral("Third"));
    EXPECT_TRUE(p.Detail(2)->AlignEnable());
    p.SetLang(21, src); // no such slot
    EXPECT_EQ(src.LanguageID(), 2);
}

TEST(LanguagePack, ProfileIsACopySource) {
    MLanguageProfile prof;
    int changes = 0;
    prof.OnChange = [&](MLanguageProfile* s, int n) {
        EXPECT_EQ(s, &prof);
        EXPECT_EQ(n, -1);
        ++changes;
    };
    prof.SetAlignEnable(true);
    prof.SetAlignEnable(true);
    prof.SetArabicEnable(true);
    EXPECT_EQ(changes, 2);
    prof.LanguageName = QStringLiteral("P");
    M_LanguageDetail d;
    AssignLanguageDetail(d, prof);
    EXPECT_EQ(d.LanguageID(), -1);
    EXPECT_TRUE(d.AlignEnable());
    EXPECT_TRUE(d.ArabicEnable());
    EXPECT_EQ(d.LanguageName, QStringLiteral("P"));
}

TEST(LanguagePack, LanguageNumberOutsideTheLanguagesIsIgnored) {
    TDMLanguagePack dm;
    MLanguagePack& p = *dm.OLanguagePack;
    Client c;
    AssignLanguageDetail(c.Detail, *p.Detail(0));
    c.Register(p);
    c.Log.Events.clear();
    for (int n : {2, -1, 21, 1000}) {
        p.SetLanguageNumber(n);
        EXPECT_EQ(p.LanguageNumber(), 0) << n;
    }
    // A count beyond the slots: numbers past the last slot are still ignored.
    p.SetLanguageCount(100);
    p.SetLanguageNumber(50);
    EXPECT_EQ(p.LanguageNumber(), 0);
    // The current number again: no event.
    p.SetLanguageNumber(0);
    EXPECT_TRUE(c.Log.Events.isEmpty());
    // With no languages only 0 is accepted.
    p.SetLanguageCount(0);
    p.SetLanguageNumber(0);
    EXPECT_EQ(p.LanguageNumber(), 0);
}

TEST(LanguagePack, BroadcastReachesFollowingClientsOfTheOldLanguage) {
    TDMLanguagePack dm;
    MLanguagePack& p = *dm.OLanguagePack;
    Client a, b, lone, stubborn;
    for (Client* c : {&a, &b, &lone, &stubborn}) {
        AssignLanguageDetail(c->Detail, *p.Detail(0));
        c->Register(p);
    }
    p.RegisterClient(&a); // twice: one entry
    EXPECT_EQ(p.Clients().size(), 4);
    stubborn.Detail.LanguagePackFollow = false;

    // During the broadcast the pack still reports the old number.
    QList<int> seen;
    a.Detail.OnLanguageIDChange = [&](int) { seen << p.LanguageNumber(); };
    // One window switched alone to English from its own menu.
    AssignLanguageDetail(lone.Detail, *p.Detail(1));

    p.SetLanguageNumber(0); // already Arabic: the lone window is not touched
    EXPECT_EQ(lone.Detail.LanguageID(), 1);
    p.SetLanguageNumber(1); // the lone window is skipped (already English), the others switch
    EXPECT_EQ(a.Detail.LanguageID(), 1);
    EXPECT_EQ(b.Detail.LanguageID(), 1);
    EXPECT_EQ(lone.Detail.LanguageID(), 1);
    EXPECT_EQ(stubborn.Detail.LanguageID(), 0);
    p.SetLanguageNumber(0); // back to Arabic: the lone window goes with the others
    EXPECT_EQ(lone.Detail.LanguageID(), 0);
    EXPECT_EQ(a.Detail.LanguageID(), 0);
    EXPECT_EQ(seen, (QList<int>{0, 1}));

    p.UnregisterClient(&b);
    p.SetLanguageNumber(1);
    EXPECT_EQ(b.Detail.LanguageID(), 0);
    EXPECT_EQ(a.Detail.LanguageID(), 1);
}

TEST(LanguagePack, ClientThatLeavesDuringTheBroadcastIsNotReached) {
    TDMLanguagePack dm;
    MLanguagePack& p = *dm.OLanguagePack;
    Client a, b;
    for (Client* c : {&a, &b}) {
        AssignLanguageDetail(c->Detail, *p.Detail(0));
        c->Register(p);
    }
    a.Detail.OnLanguageIDChange = [&](int) { p.UnregisterClient(&b); };
    p.SetLanguageNumber(1);
    EXPECT_EQ(b.Detail.LanguageID(), 0);
}

TEST(LanguagePack, LanguageAskedForDuringASwitchIsTakenAfterIt) {
    TDMLanguagePack dm;
    MLanguagePack& p = *dm.OLanguagePack;
    p.SetLanguageCount(3);
    Client a, b;
    for (Client* c : {&a, &b}) {
        AssignLanguageDetail(c->Detail, *p.Detail(0));
        c->Register(p);
    }
    // A window that goes on to a third language when it reaches the second.
    QList<int> seen;
    a.Detail.AfterLanguageDetailChange = [&](int n) {
        seen << p.FollowedLanguageNumber();
        if (n == 1)
            p.SetLanguageNumber(2);
    };
    p.SetLanguageNumber(1);
    EXPECT_EQ(p.LanguageNumber(), 2);
    EXPECT_EQ(a.Detail.LanguageID(), 2);
    EXPECT_EQ(b.Detail.LanguageID(), 2);
    EXPECT_EQ(seen, (QList<int>{1, 2}));
    EXPECT_EQ(p.FollowedLanguageNumber(), 2);

    // Handlers that never stop asking end after a bounded number of rounds, every window on the
    // pack's language.
    a.Detail.AfterLanguageDetailChange = [&](int n) { p.SetLanguageNumber(n == 0 ? 1 : 0); };
    p.SetLanguageNumber(0);
    EXPECT_EQ(a.Detail.LanguageID(), p.LanguageNumber());
    EXPECT_EQ(b.Detail.LanguageID(), p.LanguageNumber());
    a.Detail.AfterLanguageDetailChange = nullptr;
    p.SetLanguageNumber(2);
    EXPECT_EQ(b.Detail.LanguageID(), 2);
}

TEST(LanguagePack, DestroyingThePackTellsItsClients) {
    Client c;
    auto p = std::make_unique<MLanguagePack>();
    c.Register(*p);
    p.reset();
    EXPECT_EQ(c.Pack, nullptr);
}

} // namespace
