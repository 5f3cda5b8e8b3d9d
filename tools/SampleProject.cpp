#include "tools/SampleProject.h"

#include "model/ULstFile.h"
#include "model/UunvF.h"
#include "model/UunvKinds.h"
#include "model/UunvZ.h"

#include <algorithm>
#include <array>

void FillSampleProject(MMemoryProject& Project, int Model) {
    MProgramLists& p = Project.Lists;
    p.Machine.Model = Model;
    p.Machine.UpdateCategory();
    for (int n = 1; n <= 12; ++n) {
        MUnvW w;
        w.Number = n;
        for (int k = 0; k < 8; ++k)
            w.Levels[std::size_t(k)] = n * 10 + k + 1;
        p.W.AddOrReplace(w);
    }
    for (int n = 1; n <= 12; ++n) {
        MUnvN m;
        m.Number = n;
        const bool reference = n % 3 == 0;
        m.Type = reference ? 2 : 1;
        m.Start = reference ? n - 1 : 10 * n;
        m.Count = reference ? (n == 6 ? 2 : -1) : n % 4 * 5;
        m.Counter.Kind = n % 4 == 1 ? ckW : ckD;
        m.Counter.Value = n % 4 == 1 ? n : n + 1;
        p.N.AddOrReplace(m);
    }
    // Carrier stroke limits 1..6 by needles (SY1, SY2), from colour to colour (VB) and with colours
    // (MF), with carriers and directions.
    for (int n = 1; n <= 6; ++n) {
        MUnvP m;
        m.Number = n;
        m.Mode = std::uint8_t(std::array{0, 5, 4, 1, 5, 4}[std::size_t(n - 1)]);
        m.Dir = std::uint8_t(n % 3);
        m.Carriers[std::size_t(n % 8)] = 1;
        m.Carriers[std::size_t((n + 3) % 8)] = 1;
        m.L = 10 * n;
        m.R = 200 + 10 * n;
        if (m.Mode >= 4) {
            m.ClrsL.SetBit(n % 6 + 1, 1);
            m.ClrsR.SetBit(n % 6 + 2, 1);
        }
        if (m.Mode == 4)
            for (int k = 0; k < n; ++k)
                m.ClrsL.SetBit(k + 8, 1);
        p.P.AddOrReplace(m);
    }
    // Stitch-length changes 1..8, the odd ones with a negative difference and offset.
    for (int n = 1; n <= 8; ++n) {
        MUnvFE fe;
        fe.Number = n;
        fe.Difference = (n % 2 ? -1 : 1) * 4 * n;
        fe.VerticalStep = n;
        fe.HorizontalStep = 10 * n;
        fe.StartPoint = std::uint8_t(n % 3);
        fe.Offset = (n % 2 ? -1 : 1) * 25 * n;
        fe.Colors.SetBit(n % 6 + 1, 1);
        fe.Colors.SetBit(n % 6 + 3, 1);
        p.FE.AddOrReplace(fe);
    }
    // Dynamic stitch lengths 1..4 over FE ranges, forwards on the rear beds and backwards on the front
    // ones, and static ones 1..6 with direct values and W counters in both groups, on every bed.
    for (int n = 1; n <= 4; ++n) {
        MUnvFD fd;
        fd.Number = n;
        for (int k = 0; k < BedCount; ++k) {
            fd.FirstFE[std::size_t(k)] = n + k % 4 + 2;
            fd.CountFE[std::size_t(k)] = k % 2 == 1 ? 1 : -2;
        }
        p.FD.AddOrReplace(fd);
    }
    for (int n = 1; n <= 6; ++n) {
        MUnvFS fs;
        fs.Number = n;
        for (int k = 0; k < BedCount; ++k) {
            const std::size_t i = std::size_t(k);
            fs.CountersA[i] = k % 3 == 0 ? MCounter{ckW, (n + k) % 12 + 1} : MCounter{ckD, 10 * n + k};
            fs.CountersB[i] = k % 4 == 1 ? MCounter{ckW, n} : MCounter{ckD, 5 * k + n};
        }
        p.FS.AddOrReplace(fs);
    }
    // Knitting rows 1..6 of both parities: carriers, colours, pattern lines and cams per system, a
    // racking on the even rows, take-down and speed.
    const int systems = std::clamp(int(p.Machine.Category), 1, 4);
    for (int n = 1; n <= 6; ++n) {
        MUnvZ z;
        z.Number = n;
        for (int s = 0; s < systems; ++s) {
            const std::size_t si = std::size_t(s);
            z.Carriers[si].SetBit((n + s) % 8, 1);
            z.Carriers[si].Value = std::uint8_t(s % 3);
            for (int bed = 0; bed < 2; ++bed) {
                const std::size_t slot = std::size_t(2 * s + bed);
                z.KNF[slot].SetBit((n + s + bed) % 6 + 1, 1);
                z.LG[slot].SetBit((n + s) % 6 + 2, 1);
                z.PatternLine[slot] = 10 * n + int(slot);
            }
            z.Unipress[si] = std::uint8_t(s == 0 && n % 3 == 0);
        }
        z.Tying[1] = std::uint8_t(n % 3);
        z.FSFront = z.FSRear = std::uint8_t(n);
        z.PR = 10 * n;
        z.WA1 = {20 + n, std::uint8_t(n % 2)};
        z.WA2 = {30 + n, std::uint8_t(n % 2), 0};
        z.TZ = std::uint8_t(50 + n);
        if (n % 2 == 0)
            z.Racking[0] = {n % 4 == 0 ? -n : n, 1, std::uint8_t(n % 3)};
        z.FD = std::uint8_t(n % 3);
        z.PA = 1;
        // Cams that pass the check, a first-family pair on odd rows and a second-family one on even
        // rows, tried system by system.
        static const std::pair<int, int> odd[] = {{2, 3}, {7, 5}, {1, 1}, {9, 12}, {0, 0}};
        static const std::pair<int, int> even[] = {{15, 15}, {19, 20}, {14, 14}, {17, 18}, {0, 0}};
        for (int s = 0; s < systems; ++s) {
            const std::size_t front = std::size_t(2 * s), rear = front + 1;
            for (int k = 0; k < 5; ++k) {
                const auto& pair = (n % 2 == 1 ? odd : even)[(k + s + n / 2) % 5];
                z.CamCode[front] = std::uint8_t(pair.first);
                z.CamCode[rear] = std::uint8_t(pair.second);
                try {
                    z.Validate();
                    break;
                } catch (const std::exception&) {
                    z.CamCode[front] = z.CamCode[rear] = 0;
                }
            }
        }
        p.Z.AddOrReplace(z);
    }
    // R rows 1..6: D counters on odd rows, W counters on even ones, offsets of both signs on every
    // system's beds.
    for (int n = 1; n <= 6; ++n) {
        MUnvR r;
        r.Number = n;
        r.Counter = n % 2 == 1 ? MCounter{ckD, 2 * n} : MCounter{ckW, n};
        for (int k = 0; k < 2 * systems; ++k)
            r.Offsets[std::size_t(k)] = ((n + k) % 5 - 2) * n;
        p.R.AddOrReplace(r);
    }
    // S lines 1..8: Z ranges both ways with N and P ranges and offset tables, S cycles over them on
    // lines 5, 7 and 8; D, W and R counters.
    for (int n = 1; n <= 8; ++n) {
        MUnvS sl;
        sl.Number = n;
        if (n <= 6 && n != 5) {
            sl.Type = 1;
            sl.First = n;
            sl.Count = n % 3 == 0 ? -(n / 3) : n % 2;
            sl.NFirst = n + 2;
            sl.NCount = n % 2 == 0 ? -2 : 1;
            sl.PFirst = std::min(n, 6);
            sl.PCount = n % 3 == 1 ? 0 : -1;
            sl.Offset = std::uint8_t(n);
        } else {
            sl.Type = 2;
            sl.First = n == 8 ? 6 : n - 4;
            sl.Count = n == 8 ? -3 : 2 - n % 2;
        }
        sl.Counter = n % 3 == 0 ? MCounter{ckR, n / 3} : n % 3 == 1 ? MCounter{ckD, n} : MCounter{ckW, n};
        p.S.AddOrReplace(sl);
    }
    for (MUnvList* list : p.Lists())
        list->Modified = false;
}

void LoadProjectFile(MMemoryProject& Project, const QString& Path) {
    LoadMachineFile(Path, Project.Lists.Machine, Project.Lists.Lists());
}
