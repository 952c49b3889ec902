// The component model: owner tree, names, notifications and state.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/Classes.h"

using namespace kdx;

namespace {

// Keeps the notifications it receives and reports its own destruction.
class Probe : public TComponent {
public:
    Probe(TComponent* AOwner, std::vector<std::string>* Log, std::string AName) : TComponent(AOwner), FLog(Log) {
        SetName(std::move(AName));
    }
    ~Probe() override { FLog->push_back("~" + Name()); }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        FLog->push_back(Name() + (Operation == TOperation::opInsert ? " +" : " -") + AComponent->Name());
    }

private:
    std::vector<std::string>* FLog;
};

TEST(Components, OwnerTreeNotifiesAndDestroys) {
    std::vector<std::string> log;
    {
        Probe form(nullptr, &log, "Form");
        auto* a = new Probe(&form, &log, "A");
        new Probe(&form, &log, "B");  // the form's siblings hear of B
        EXPECT_EQ(form.ComponentCount(), 2);
        EXPECT_EQ(form.FindComponent("b"), form.Components(1)) << "names ignore letter case";
        EXPECT_EQ(form.FindComponent("C"), nullptr);
        log.clear();
        delete a;
        EXPECT_EQ(log, (std::vector<std::string>{"~A", "B -A", "Form -A"})) << "siblings hear of it through the owner";
        log.clear();
    }
    // The form destroys what it still owns.
    EXPECT_EQ(log, (std::vector<std::string>{"~Form", "~B"}));
}

TEST(Components, FreeNotificationReachesOtherOwners) {
    std::vector<std::string> log;
    Probe form(nullptr, &log, "Form");
    Probe module(nullptr, &log, "Module");
    auto* source = new Probe(&module, &log, "Source");
    auto* control = new Probe(&form, &log, "Control");
    source->FreeNotification(control);
    log.clear();
    delete source;
    EXPECT_EQ(log, (std::vector<std::string>{"~Source", "Control -Source", "Module -Source"}));

    // Whichever goes first unhooks the link: no call reaches a destroyed one.
    auto* other = new Probe(&module, &log, "Other");
    other->FreeNotification(control);
    delete control;
    log.clear();
    delete other;
    EXPECT_EQ(log, (std::vector<std::string>{"~Other", "Module -Other"}));
}

TEST(Components, StateFlags) {
    std::vector<std::string> log;
    Probe form(nullptr, &log, "Form");
    auto* child = new Probe(&form, &log, "Child");
    form.SetDesigning(true);
    EXPECT_TRUE(child->ComponentState() & csDesigning) << "designing reaches everything owned";
    auto* late = new Probe(&form, &log, "Late");
    EXPECT_TRUE(late->ComponentState() & csDesigning) << "and what is created later";

    child->BeginLoading();
    EXPECT_TRUE(child->ComponentState() & csLoading);
    child->Loaded();
    EXPECT_FALSE(child->ComponentState() & csLoading);
}

}  // namespace
