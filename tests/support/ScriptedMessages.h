#pragma once
// The message service of the tests: installed as the shared message box for its life, it answers
// each numbered message from a queue of answers (the default answer once the queue is empty) and
// records what was shown: code, subcode, arguments and buttons, and the plain texts.

#include "model/Ucommon.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace kdstest {

class MScriptedMessages : public MMessageService {
public:
    explicit MScriptedMessages(int DefaultAnswer = mbOK) : DefaultAnswer(DefaultAnswer), FOld(MessageBox) {
        MessageBox = this;
    }
    ~MScriptedMessages() override { MessageBox = FOld; }
    MScriptedMessages(const MScriptedMessages&) = delete;
    MScriptedMessages& operator=(const MScriptedMessages&) = delete;

    struct Shown {
        int Code = 0;
        int SubCode = 0;
        QString Args;
        int Buttons = 0;
        friend bool operator==(const Shown&, const Shown&) = default;
    };

    int ShowCodeMessage(int Code, int SubCode, const QString& Args, int Buttons) override {
        Coded.push_back({Code, SubCode, Args, Buttons});
        if (Answers.empty())
            return DefaultAnswer;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void ShowPlainMessage(const QString& Text) override { Plain << Text; }

    std::deque<int> Answers;
    int DefaultAnswer;
    std::vector<Shown> Coded;
    QStringList Plain;

private:
    MMessageService* FOld;
};

} // namespace kdstest
