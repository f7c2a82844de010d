// The seven input-listener lists: insertion order, equality, and changes made while firing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/system.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;

namespace {

struct Call {
    int id;
    int32_t a;
    int32_t b;
    bool operator==(const Call&) const = default;
};

struct Recorder {
    int id = 0;
    std::vector<Call>* calls = nullptr;
    std::function<void()> onCall;

    void Handle(int32_t a, int32_t b)
    {
        calls->push_back({id, a, b});
        if (onCall)
            onCall();
    }
    void Other(int32_t a, int32_t b) { calls->push_back({-id, a, b}); }

    InputListener Listener() { return MakeListener<&Recorder::Handle>(this); }
};

// The system object with each list's map of distinct records in view.
class InspectedSystem : public CWin32System {
public:
    size_t IdentityCount(InputEvent kind) const { return listeners[kind].identities.size(); }
};

class ListenerLists : public testing::Test {
protected:
    kestrova_test::ScratchDir scratch;   // no Settings.ini: an empty settings map
    InspectedSystem system;
    std::vector<Call> calls;
    Recorder first{1, &calls, {}};
    Recorder second{2, &calls, {}};
    Recorder third{3, &calls, {}};
};

TEST_F(ListenerLists, EveryFireOperationCallsItsOwnListInInsertionOrder)
{
    system.AddListener(INPUT_KEY_UP, second.Listener());
    system.AddListener(INPUT_KEY_UP, first.Listener());
    system.AddListener(INPUT_MOUSE_MOVE, third.Listener());
    system.FireKeyUp(57);
    system.FireMouseMove(-3, 4);
    system.FireKeyDown(57);
    system.FireMouseButtonDown(0);
    system.FireMouseButtonUp(1);
    system.FireMouseWheel(120);
    EXPECT_EQ(calls, (std::vector<Call>{{2, 57, 0}, {1, 57, 0}, {3, -3, 4}}));

    calls.clear();
    InputEvent kinds[] = {INPUT_MOUSE_BUTTON_DOWN, INPUT_MOUSE_BUTTON_UP, INPUT_MOUSE_WHEEL,
                          INPUT_KEY_DOWN};
    for (InputEvent kind : kinds)
        system.AddListener(kind, first.Listener());
    system.FireMouseButtonDown(1);
    system.FireMouseButtonUp(0);
    system.FireMouseWheel(-240);
    system.FireKeyDown(200);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 1, 0}, {1, 0, 0}, {1, -240, 0}, {1, 200, 0}}));
}

TEST_F(ListenerLists, ARecordAddedTwiceIsCalledTwiceAndRemovedByOneCall)
{
    system.AddListener(INPUT_KEY_DOWN, first.Listener());
    system.AddListener(INPUT_KEY_DOWN, second.Listener());
    system.AddListener(INPUT_KEY_DOWN, first.Listener());
    system.FireKeyDown(1);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 1, 0}, {2, 1, 0}, {1, 1, 0}}));

    calls.clear();
    system.RemoveListener(INPUT_KEY_DOWN, first.Listener());
    system.FireKeyDown(1);
    EXPECT_EQ(calls, (std::vector<Call>{{2, 1, 0}}));
}

TEST_F(ListenerLists, RecordsDifferingInObjectOrMethodAreDifferent)
{
    system.AddListener(INPUT_KEY_DOWN, first.Listener());
    system.AddListener(INPUT_KEY_DOWN, MakeListener<&Recorder::Other>(&first));
    system.RemoveListener(INPUT_KEY_DOWN, second.Listener());   // not in the list
    system.RemoveListener(INPUT_KEY_UP, first.Listener());      // an empty list
    system.RemoveListener(INPUT_KEY_DOWN, first.Listener());
    system.FireKeyDown(9);
    system.FireKeyUp(9);
    EXPECT_EQ(calls, (std::vector<Call>{{-1, 9, 0}}));
}

TEST_F(ListenerLists, TheCharacterListIsNeverFiredAndUnknownKindsTouchNoList)
{
    system.AddListener(INPUT_CHAR, first.Listener());
    for (int kind : {-1, 7, 1000}) {
        system.AddListener(static_cast<InputEvent>(kind), third.Listener());
        system.RemoveListener(static_cast<InputEvent>(kind), second.Listener());
    }
    system.AddListener(INPUT_KEY_DOWN, second.Listener());
    system.FireKeyDown(30);
    system.FireKeyUp(30);
    system.FireMouseMove(1, 1);
    system.FireMouseWheel(1);
    system.FireMouseButtonDown(0);
    system.FireMouseButtonUp(0);
    EXPECT_EQ(calls, (std::vector<Call>{{2, 30, 0}}));
}

TEST_F(ListenerLists, ARecordAddedWhileFiringIsCalledInTheSameFiring)
{
    first.onCall = [&] {
        first.onCall = nullptr;
        system.AddListener(INPUT_KEY_DOWN, third.Listener());
    };
    system.AddListener(INPUT_KEY_DOWN, first.Listener());
    system.AddListener(INPUT_KEY_DOWN, second.Listener());
    system.FireKeyDown(5);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 5, 0}, {2, 5, 0}, {3, 5, 0}}));
}

TEST_F(ListenerLists, ARecordRemovedBeforeItIsReachedIsNotCalled)
{
    first.onCall = [&] { system.RemoveListener(INPUT_KEY_UP, third.Listener()); };
    system.AddListener(INPUT_KEY_UP, first.Listener());
    system.AddListener(INPUT_KEY_UP, second.Listener());
    system.AddListener(INPUT_KEY_UP, third.Listener());
    system.FireKeyUp(67);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 67, 0}, {2, 67, 0}}));

    calls.clear();
    system.FireKeyUp(68);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 68, 0}, {2, 68, 0}}));
}

TEST_F(ListenerLists, AListenerRemovingItsOwnRecordLetsTheRestRunOnce)
{
    // As the GUI does when a click switches it off: its records go from every list, also the
    // one being fired, including a second copy further down.
    second.onCall = [&] {
        system.RemoveListener(INPUT_MOUSE_BUTTON_DOWN, second.Listener());
        system.RemoveListener(INPUT_MOUSE_MOVE, second.Listener());
    };
    system.AddListener(INPUT_MOUSE_BUTTON_DOWN, first.Listener());
    system.AddListener(INPUT_MOUSE_BUTTON_DOWN, second.Listener());
    system.AddListener(INPUT_MOUSE_BUTTON_DOWN, third.Listener());
    system.AddListener(INPUT_MOUSE_BUTTON_DOWN, second.Listener());
    system.AddListener(INPUT_MOUSE_MOVE, second.Listener());
    system.FireMouseButtonDown(0);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}));

    calls.clear();
    system.FireMouseButtonDown(1);
    system.FireMouseMove(0, 0);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 1, 0}, {3, 1, 0}}));
    // What the lists keep to find a record goes with it, also when the firing removed it: the
    // first and the third remain.
    EXPECT_EQ(system.IdentityCount(INPUT_MOUSE_BUTTON_DOWN), 2u);
    EXPECT_EQ(system.IdentityCount(INPUT_MOUSE_MOVE), 0u);
}

TEST_F(ListenerLists, ManyAdditionsWhileFiringKeepEveryRecordIntact)
{
    // Growing the list from inside a call moves its storage; the walk must survive that. Records
    // added during the firing are called in it, each record once.
    first.onCall = [&] {
        for (int i = 0; i < 200; ++i)
            system.AddListener(INPUT_MOUSE_WHEEL, second.Listener());
        system.AddListener(INPUT_MOUSE_WHEEL, third.Listener());
    };
    system.AddListener(INPUT_MOUSE_WHEEL, first.Listener());
    system.FireMouseWheel(7);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 7, 0}, {2, 7, 0}, {3, 7, 0}}));

    // Outside that firing the added records are ordinary ones.
    first.onCall = nullptr;
    calls.clear();
    system.FireMouseWheel(1);
    EXPECT_EQ(calls.size(), 202u);
}

TEST_F(ListenerLists, AListenerThatRemovesAndReAddsItselfIsCalledOncePerFiring)
{
    // A handler switching the GUI off and on from inside the GUI's own listener.
    first.onCall = [&] {
        system.RemoveListener(INPUT_MOUSE_BUTTON_DOWN, first.Listener());
        system.AddListener(INPUT_MOUSE_BUTTON_DOWN, first.Listener());
    };
    system.AddListener(INPUT_MOUSE_BUTTON_DOWN, first.Listener());
    system.AddListener(INPUT_MOUSE_BUTTON_DOWN, second.Listener());
    system.FireMouseButtonDown(0);
    EXPECT_EQ(calls, (std::vector<Call>{{1, 0, 0}, {2, 0, 0}}));

    // The re-added record now stands behind the second one.
    calls.clear();
    system.FireMouseButtonDown(1);
    EXPECT_EQ(calls, (std::vector<Call>{{2, 1, 0}, {1, 1, 0}}));

    // The records removed while firing go: they do not pile up.
    for (int32_t i = 0; i < 100; ++i)
        system.FireMouseButtonDown(i);
    EXPECT_EQ(system.ListenerCount(INPUT_MOUSE_BUTTON_DOWN), 2u);
}

} // namespace
