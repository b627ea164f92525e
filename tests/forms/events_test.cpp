// Event dispatch: which handler runs, answers, the current event source, and when nothing runs.
#include "runtime/forms/events.h"

#include <gtest/gtest.h>

#include "runtime/errors/program_end.h"
#include "runtime/forms/forms_messages.h"
#include "runtime/forms/forms_registry.h"
#include "tests/forms/test_windows.h"
#include "tests/support/report_capture.h"

namespace lq {
namespace {

using test::EventNames;
using test::kMainId;

class Events : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetTestHandlers();
    ReadWindowTemplates(test::TestWindows());
  }
  void TearDown() override {
    ForgetWindowTemplates();
    ResetProgramEndState();
  }
};

TEST_F(Events, FirstBindingOfTheNumberAnswers) {
  const EventResult r = RaiseEvent(kMainId, kOwnUnit, kEventMayClose, {}, true);
  EXPECT_TRUE(r.handled);
  EXPECT_TRUE(r.answered);
  EXPECT_TRUE(r.answer);
  EXPECT_FALSE(Refused(r));
  test::MainAnswers().may_close = false;
  EXPECT_TRUE(Refused(RaiseEvent(kMainId, kOwnUnit, kEventMayClose, {}, true)));
  // The second binding of event 1 never runs.
  EXPECT_EQ(EventNames(), (std::vector<std::string>{"main.may_close", "main.may_close"}));
}

TEST_F(Events, AnswersOnlyWhenWantedAndGiven) {
  test::MainAnswers().close_query = false;
  const EventResult unwanted = RaiseEvent(kMainId, kOwnUnit, kEventCloseQuery);
  EXPECT_TRUE(unwanted.handled);
  EXPECT_FALSE(unwanted.answered);
  // A handler that gives no answer never refuses.
  const EventResult plain = RaiseEvent(kMainId, kOwnUnit, kEventMoved, {}, true);
  EXPECT_TRUE(plain.handled);
  EXPECT_FALSE(Refused(plain));
}

TEST_F(Events, UnboundAndHandlerlessEventsAreNotHandled) {
  EXPECT_FALSE(RaiseEvent(kMainId, test::kPage0Button, kEventActivated).handled);
  EXPECT_FALSE(RaiseEvent(kMainId, test::kPage0Button2, kEventClicked).handled);
  // The first binding of 0 has no handler: the later one with a handler is not taken.
  EXPECT_FALSE(RaiseEvent(kMainId, test::kPage1HiddenButton, kEventClicked).handled);
  // A window without close handlers refuses nothing.
  EXPECT_FALSE(Refused(RaiseEvent(test::kDialogId, kOwnUnit, kEventMayClose, {}, true)));
  EXPECT_TRUE(EventNames().empty());
}

TEST_F(Events, MenuItemsHaveOneHandler) {
  EXPECT_TRUE(RaiseEvent(kMainId, test::kMenuShow, kEventSelected).handled);
  EXPECT_TRUE(RaiseEvent(kMainId, test::kMenuCheck, 7).handled);
  EXPECT_FALSE(RaiseEvent(kMainId, test::kMenuEntry, kEventSelected).handled);
  EXPECT_EQ(EventNames(), (std::vector<std::string>{"menu.show", "menu.check"}));
}

TEST_F(Events, ArgumentsReachTheHandler) {
  const std::int32_t action[] = {kTrayRightButtonUp};
  RaiseEvent(kMainId, kOwnUnit, kEventTray, action);
  RaiseEvent(kMainId, kOwnUnit, kEventTray);
  ASSERT_EQ(test::EventLog().size(), 2u);
  EXPECT_EQ(test::EventLog()[0].argument, 3);
  EXPECT_EQ(test::EventLog()[1].argument, 0);
}

TEST_F(Events, CurrentSourceWhileAHandlerRuns) {
  EXPECT_FALSE(CurrentEventSource());
  // The created handler raises a click inside itself, then logs again: the outer source is back.
  test::Hooks().main_created = [] {
    RaiseEvent(kMainId, test::kPage0Button, kEventClicked);
    RaiseEvent(kMainId, kOwnUnit, kEventMoved);
  };
  RaiseEvent(kMainId, kOwnUnit, kEventCreated);
  EXPECT_FALSE(CurrentEventSource());
  const auto& log = test::EventLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], (test::Recorded{"main.created", kMainId, test::kMainUnit, 0}));
  EXPECT_EQ(log[1], (test::Recorded{"page0.clicked", kMainId, test::kPage0Button, 0}));
  EXPECT_EQ(log[2], (test::Recorded{"main.moved", kMainId, test::kMainUnit, 0}));
}

TEST_F(Events, NothingRunsWhileAnErrorIsReported) {
  EnterErrorReport();
  EXPECT_FALSE(RaiseEvent(kMainId, test::kPage0Button, kEventClicked).handled);
  EXPECT_FALSE(RaiseEvent(kMainId, kOwnUnit, kEventMayClose, {}, true).answered);
  // Not even the fatal checks: the report already on screen is the program's last word.
  EXPECT_FALSE(RaiseEvent(test::kUnknownWindowId, kOwnUnit, kEventCreated).handled);
  EXPECT_TRUE(EventNames().empty());
  ResetProgramEndState();
  EXPECT_TRUE(RaiseEvent(kMainId, test::kPage0Button, kEventClicked).handled);
}

TEST_F(Events, FatalCases) {
  EXPECT_EQ(test::FatalReportOf([] { RaiseEvent(test::kUnknownWindowId, kOwnUnit, 0); }),
            test::ReportOf(forms_messages::kEventWindowMissing));
  EXPECT_EQ(test::FatalReportOf([] { RaiseEvent(kMainId, test::kDialogButton, 0); }),
            test::ReportOf(forms_messages::kEventUnitMissing));
  EXPECT_EQ(test::FatalReportOf([] { RaiseEvent(kMainId, test::kPage0Dialog, 0); }),
            test::ReportOf(forms_messages::kEventUnitInvalid));
  EXPECT_TRUE(EventNames().empty());
}

}  // namespace
}  // namespace lq
