// The shared record of a deployment call, its wait and the two handlers,
// against the emulated deployment service.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/sim/sim_deploy.h"
#include "shell/w11_async.h"
#include "support/sim_fixture.h"
#ifdef _WIN32
#include "platform/win32/win32_deploy_probe.h"
#endif

namespace {

constexpr THwnd kWindow = 0x4242;
constexpr std::uint32_t kMsg = 0x8641;
constexpr std::uintptr_t kWParam = 0x022B00;

class AsyncParams : public SimFixture {
 protected:
  TSimDeploy& deploy = sim.deploy;

  // A finished removal of the emulated service, as a handler would be given it.
  TDeployObj FinishedOperation(std::int32_t status, std::int32_t extendedCode, const ustring& text) {
    deploy.removal.finishedAtOnce = true;
    deploy.removal.status = status;
    deploy.removal.extendedCode = extendedCode;
    deploy.removal.errorText = text;
    apartment_ = deploy.RoInitialize();
    TDeployRef factory;
    deploy.GetActivationFactory(cPackageManagerClass, factory.Put());
    deploy.ActivateInstance(factory.Get(), cIidIPackageManager2, manager_.Put());
    deploy.RemovePackageWithOptionsAsync(manager_.Get(), u"P_1.0.0.0_x64__id", cRemovalNone, operation_.Put());
    return operation_.Get();
  }
  void ReleaseOperation() {
    operation_.Reset();
    manager_.Reset();
    if (apartment_ >= 0) deploy.RoUninitialize();
  }

 private:
  std::int32_t apartment_ = -1;
  TDeployRef manager_;
  TDeployRef operation_;
};

// Init makes two open events and stores the target; Done closes them and
// zeroes the fields; a second Init without Done leaks nothing.
TEST_F(AsyncParams, InitAndDone) {
  TAsyncParams ap;
  EXPECT_EQ(InitAsyncParams(ap, kWindow, kMsg, kWParam), 0u);
  EXPECT_NE(ap.apWobArr[0], 0u);
  EXPECT_NE(ap.apWobArr[1], 0u);
  EXPECT_EQ(deploy.LiveEvents(), 2u);
  EXPECT_EQ(InitAsyncParams(ap, kWindow, kMsg, kWParam), 0u);
  EXPECT_EQ(deploy.LiveEvents(), 2u);
  ap.apFinSta = cFinError;
  ap.apErrCod = -5;
  ap.apErrTxt = u"text";
  DoneAsyncParams(ap);
  EXPECT_EQ(deploy.LiveEvents(), 0u);
  EXPECT_EQ(ap.apWobArr[0], 0u);
  EXPECT_EQ(ap.apWobArr[1], 0u);
  EXPECT_EQ(ap.apFmHdle, 0u);
  EXPECT_EQ(ap.apWMProg, 0u);
  EXPECT_EQ(ap.apWParam, 0u);
  EXPECT_EQ(ap.apFinSta, 0);
  EXPECT_EQ(ap.apErrCod, 0);
  EXPECT_TRUE(ap.apErrTxt.empty());
}

// A record left without Done still gives its events back when it goes.
TEST_F(AsyncParams, DestructorClosesEvents) {
  {
    TAsyncParams ap;
    InitAsyncParams(ap, 0, 0, 0);
    EXPECT_EQ(deploy.LiveEvents(), 2u);
  }
  EXPECT_EQ(deploy.LiveEvents(), 0u);
}

// A failed event creation is reported with the platform's error, and the wait
// then answers false without asking the platform at all.
TEST_F(AsyncParams, EventCreationFailureEndsWait) {
  deploy.FailCall("CreateEventW", 2, 8);
  TAsyncParams ap;
  EXPECT_EQ(InitAsyncParams(ap, kWindow, kMsg, kWParam), 8u);
  EXPECT_NE(ap.apWobArr[0], 0u);
  EXPECT_EQ(ap.apWobArr[1], 0u);
  EXPECT_FALSE(WaitForDeployment(ap));
  EXPECT_EQ(deploy.CallCounts()["MsgWaitForEvents"], 0u);
  DoneAsyncParams(ap);
  EXPECT_EQ(deploy.LiveEvents(), 0u);
}

// A failing platform wait ends the wait with false after one call; dispatched
// input makes it wait again until the finish event.
TEST_F(AsyncParams, WaitFailureAndDispatch) {
  TAsyncParams ap;
  InitAsyncParams(ap, 0, 0, 0);
  deploy.FailCall("MsgWaitForEvents", 1, static_cast<std::int32_t>(cWaitFailed));
  EXPECT_FALSE(WaitForDeployment(ap));
  EXPECT_EQ(deploy.CallCounts()["MsgWaitForEvents"], 1u);

  deploy.ClearFaults();
  deploy.FailCall("MsgWaitForEvents", 1, static_cast<std::int32_t>(cWaitInput));
  deploy.FailCall("MsgWaitForEvents", 2, static_cast<std::int32_t>(cWaitInput));
  ap.apFinSta = cFinCompleted;
  deploy.SetEvent(ap.apWobArr[1]);
  EXPECT_TRUE(WaitForDeployment(ap));
  EXPECT_EQ(deploy.CallCounts()["MsgWaitForEvents"], 4u);
  DoneAsyncParams(ap);
}

// The wait's answer: the finish event with Completed is true, with any other
// final state false; event 0 ends it with false; the ending event is reset.
TEST_F(AsyncParams, WaitAnswers) {
  struct TCase {
    int event;
    std::uint8_t finSta;
    bool answer;
  };
  for (const TCase& c : {TCase{1, cFinCompleted, true}, TCase{1, cFinCanceled, false}, TCase{1, cFinError, false},
                         TCase{1, cFinNone, false}, TCase{0, cFinCompleted, false}}) {
    TAsyncParams ap;
    InitAsyncParams(ap, 0, 0, 0);
    ap.apFinSta = c.finSta;
    deploy.SetEvent(ap.apWobArr[c.event]);
    EXPECT_EQ(WaitForDeployment(ap), c.answer) << c.event << "/" << int(c.finSta);
    EXPECT_FALSE(deploy.EventIsSet(ap.apWobArr[c.event]));
    DoneAsyncParams(ap);
  }
}

// The completion handler run from another thread ends a wait that started first.
TEST_F(AsyncParams, CompletionFromAnotherThread) {
  TAsyncParams ap;
  InitAsyncParams(ap, 0, 0, 0);
  auto handler = std::make_shared<TAsyncStatusHandler>(&ap);
  std::thread platform([&] { handler->Invoke(0, cAsyncCompleted); });
  EXPECT_TRUE(WaitForDeployment(ap));
  platform.join();
  DoneAsyncParams(ap);
}

// Status mapping: Started 1 (no finish), Completed 2, Canceled 3, Error 4,
// anything else 0; the finish event is set for all but Started.
TEST_F(AsyncParams, StatusHandlerStates) {
  struct TCase {
    std::int32_t status;
    std::uint8_t finSta;
    bool finished;
  };
  for (const TCase& c : {TCase{cAsyncStarted, cFinStarted, false}, TCase{cAsyncCompleted, cFinCompleted, true},
                         TCase{cAsyncCanceled, cFinCanceled, true}, TCase{7, cFinNone, true},
                         TCase{-1, cFinNone, true}}) {
    TAsyncParams ap;
    InitAsyncParams(ap, 0, 0, 0);
    ap.apFinSta = 99;
    TAsyncStatusHandler handler(&ap);
    EXPECT_EQ(handler.Invoke(0, c.status), 0);
    EXPECT_EQ(ap.apFinSta, c.finSta) << c.status;
    EXPECT_EQ(ap.apErrCod, 0);
    EXPECT_EQ(deploy.EventIsSet(ap.apWobArr[1]), c.finished) << c.status;
    EXPECT_FALSE(deploy.EventIsSet(ap.apWobArr[0]));
    DoneAsyncParams(ap);
  }
}

// Error: the deployment's extended code and text are read into the record.
TEST_F(AsyncParams, StatusHandlerError) {
  const std::int32_t code = static_cast<std::int32_t>(0x80073CF3u);
  const TDeployObj op = FinishedOperation(cAsyncError, code, u"Package failed updates.");
  TAsyncParams ap;
  InitAsyncParams(ap, 0, 0, 0);
  TAsyncStatusHandler handler(&ap);
  EXPECT_EQ(handler.Invoke(op, cAsyncError), 0);
  EXPECT_EQ(ap.apFinSta, cFinError);
  EXPECT_EQ(ap.apErrCod, code);
  EXPECT_EQ(ap.apErrTxt, u"Package failed updates.");
  EXPECT_FALSE(WaitForDeployment(ap));
  DoneAsyncParams(ap);
  ReleaseOperation();
  EXPECT_EQ(deploy.OpenCount(), 0u);
}

// Error whose details cannot be read: state 4, details empty, and the finish
// event is still set so that the wait ends.
TEST_F(AsyncParams, StatusHandlerErrorWithoutDetails) {
  const TDeployObj op = FinishedOperation(cAsyncError, -7, u"x");
  deploy.FailCall("GetResults", 1, cE_FAIL);
  TAsyncParams ap;
  InitAsyncParams(ap, 0, 0, 0);
  TAsyncStatusHandler handler(&ap);
  EXPECT_EQ(handler.Invoke(op, cAsyncError), 0);
  EXPECT_EQ(ap.apFinSta, cFinError);
  EXPECT_EQ(ap.apErrCod, 0);
  EXPECT_TRUE(ap.apErrTxt.empty());
  EXPECT_FALSE(WaitForDeployment(ap));
  DoneAsyncParams(ap);
  ReleaseOperation();
}

// Error whose text cannot be read: the extended code, read before the text,
// stays in the record, so that the Finish page still shows it.
TEST_F(AsyncParams, StatusHandlerErrorTextUnreadable) {
  const std::int32_t code = static_cast<std::int32_t>(0x80073CF3u);
  const TDeployObj op = FinishedOperation(cAsyncError, code, u"never read");
  deploy.FailCall("get_ErrorText", 1, cE_OUTOFMEMORY);
  TAsyncParams ap;
  InitAsyncParams(ap, 0, 0, 0);
  TAsyncStatusHandler handler(&ap);
  EXPECT_EQ(handler.Invoke(op, cAsyncError), 0);
  EXPECT_EQ(ap.apFinSta, cFinError);
  EXPECT_EQ(ap.apErrCod, code);
  EXPECT_TRUE(ap.apErrTxt.empty());
  EXPECT_FALSE(WaitForDeployment(ap));
  DoneAsyncParams(ap);
  ReleaseOperation();
}

// The progress word: state code in bits 8-15, the percentage's low byte below.
TEST(ProgressWord, Layout) {
  EXPECT_EQ(ProgressWord(cDeployProcessing, 37), 0x225u);
  EXPECT_EQ(ProgressWord(cDeployQueued, 0), 0x100u);
  EXPECT_EQ(ProgressWord(cDeployProcessing, 100), 0x264u);
  EXPECT_EQ(ProgressWord(2, 50), 0x032u);
  EXPECT_EQ(ProgressWord(-1, 5), 0x005u);
  EXPECT_EQ(ProgressWord(cDeployProcessing, 0x1FF), 0x2FFu);
}

// Progress is posted with the record's message and wparam, and only when both
// window and message are non-zero.
TEST_F(AsyncParams, ProgressHandlerPosts) {
  struct TCase {
    THwnd window;
    std::uint32_t msg;
    bool posts;
  };
  for (const TCase& c : {TCase{kWindow, kMsg, true}, TCase{0, kMsg, false}, TCase{kWindow, 0, false}}) {
    const std::size_t before = sim.PostedMessages().size();
    TAsyncParams ap;
    InitAsyncParams(ap, c.window, c.msg, kWParam);
    TAsyncProgHandler handler(&ap);
    EXPECT_EQ(handler.Invoke(0, {cDeployProcessing, 37}), 0);
    const auto posted = sim.PostedMessages();
    ASSERT_EQ(posted.size(), before + (c.posts ? 1 : 0));
    if (c.posts) {
      EXPECT_EQ(posted.back().window, kWindow);
      EXPECT_EQ(posted.back().msg, kMsg);
      EXPECT_EQ(posted.back().wparam, kWParam);
      EXPECT_EQ(posted.back().lparam, 0x225);
    }
    DoneAsyncParams(ap);
  }
}

// A platform whose posting raises, as an exhausted one might.
class TRaisingPost : public TSimPlatform {
 public:
  bool PostWindowMessage(THwnd, std::uint32_t, std::uintptr_t, std::intptr_t) override {
    throw std::runtime_error("post failed");
  }
};

// An exception inside the progress handler comes back as E_UNEXPECTED instead
// of reaching the platform's thread.
TEST(ProgressHandler, ExceptionBecomesUnexpected) {
  TRaisingPost platform;
  IPlatform* previous = SetOs(&platform);
  {
    TAsyncParams ap;
    InitAsyncParams(ap, kWindow, kMsg, kWParam);
    auto handler = std::make_shared<TAsyncProgHandler>(&ap);
    EXPECT_EQ(handler->Invoke(0, {cDeployQueued, 0}), cE_UNEXPECTED);
#ifdef _WIN32
    // Also through the delegate object the platform calls.
    EXPECT_EQ(InvokeProgressDelegate(handler, 0, {cDeployQueued, 0}), cE_UNEXPECTED);
#endif
    DoneAsyncParams(ap);
  }
  SetOs(previous);
}

// Detached handlers leave the record alone: a late report after the caller
// gave up neither posts nor writes nor sets the event.
TEST_F(AsyncParams, DetachedHandlersDoNothing) {
  TAsyncParams ap;
  InitAsyncParams(ap, kWindow, kMsg, kWParam);
  TAsyncStatusHandler status(&ap);
  TAsyncProgHandler progress(&ap);
  status.Detach();
  progress.Detach();
  EXPECT_EQ(progress.Invoke(0, {cDeployProcessing, 50}), 0);
  EXPECT_EQ(status.Invoke(0, cAsyncCompleted), 0);
  EXPECT_TRUE(sim.PostedMessages().empty());
  EXPECT_EQ(ap.apFinSta, cFinNone);
  EXPECT_FALSE(deploy.EventIsSet(ap.apWobArr[1]));
  DoneAsyncParams(ap);
}

}  // namespace
