// The emulated package deployment service: packages registered per family for
// the current user, find by family, remove by full name, add by URI with an
// external location; each deployment runs on a thread of its own and reports
// progress (Queued 0 %, then Processing) and its final status from there.
// Events, apartments and objects it hands out are counted; every operation can
// be made to fail. Thread-safe.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/deploy.h"

// How an emulated deployment goes.
struct TSimDeployScript {
  // Reported one by one before the final status.
  std::vector<TDeploymentProgress> progress{
      {cDeployQueued, 0}, {cDeployProcessing, 10}, {cDeployProcessing, 55}, {cDeployProcessing, 100}};
  std::int32_t status = cAsyncCompleted;  // final AsyncStatus (any value)
  std::int32_t extendedCode = 0;          // DeploymentResult.ExtendedErrorCode
  ustring errorText;                      // DeploymentResult.ErrorText
  // The operation is finished when it is handed out, without progress:
  // put_Completed then calls the handler before it returns.
  bool finishedAtOnce = false;
  // Reports nothing until the caller let go of the operation (a wait that
  // ended first, by other means), then goes on as scripted.
  bool untilLetGo = false;
  // After the final status, once the caller let go of the operation, one more
  // progress report (Processing 100 %) through the handler it still holds.
  bool progressAfterEnd = false;
};

// One AddPackageByUriAsync call as the service saw it.
struct TSimAddition {
  ustring packageUri;
  ustring externalLocationUri;  // empty when the options carried none
};

class TSimDeploy : public IDeployment {
 public:
  TSimDeploy();
  ~TSimDeploy() override;  // waits for deployments still running
  TSimDeploy(const TSimDeploy&) = delete;
  TSimDeploy& operator=(const TSimDeploy&) = delete;

  // --- settings (set before the code under test runs) ---
  bool runtimePresent = true;          // the runtime library and its RoInitialize
  std::vector<ustring> runtimeClasses{cPackageManagerClass, cAddPackageOptionsClass, cUriClass};
  TSimDeployScript removal;            // how removals go
  TSimDeployScript addition;           // how additions go
  // The identity (full name) of the package file behind a URI, registered when
  // an addition of that URI completes.
  std::map<ustring, ustring> packageFiles;

  // --- packages of the current user ---
  // Registers a full name "Name_Version_Arch_ResourceId_PublisherId"; its family
  // is "Name_PublisherId". Registered in order; FindPackages reports that order.
  void RegisterPackage(const ustring& fullName);
  std::vector<ustring> Packages();
  static ustring FamilyOf(const ustring& fullName);

  // --- observations ---
  std::vector<ustring> Removals();           // full names asked to be removed
  std::vector<TSimAddition> Additions();
  std::size_t LiveEvents();
  bool EventIsSet(THandle event);            // false also for an unknown handle
  std::size_t LiveApartments();              // entered and not yet left, all threads
  std::size_t LiveObjects();                 // references handed out and not released
  std::size_t OpenCount();                   // the three above together
  std::vector<std::string> DescribeOpen();   // one line per open item, for failure reports
  std::map<std::string, std::uint64_t> CallCounts();  // by operation name
  // Waits until every deployment thread has delivered its last report.
  void WaitIdle();
  // While held, deployments that were started report nothing; Resume lets them go on.
  void Hold();
  void Resume();

  // --- fault injection, by IDeployment method name, plus "WindowsCreateString"
  // for making the platform strings of a call that takes text, "get_FullName"
  // for reading one package's full name during the lookup (counted per package
  // of the family), and "get_ErrorText" for reading the text inside GetResults
  // (after the extended code was read) ---
  static const std::vector<std::string>& FaultableOperations();
  // The nth call (1-based, counted from now) fails with code; for FailFrom that
  // call and every later one. A call made
  // to fail hands out nothing. For CreateEventW the code is a Win32 error, for
  // MsgWaitForEvents the wait's result (e.g. cWaitFailed or cWaitInput), for
  // RuntimePresent any non-zero code means absent, for RoInitialize any code
  // (also S_FALSE) is returned as is. A non-negative code for a call that hands
  // out an object makes it succeed without one.
  void FailCall(const std::string& op, std::uint64_t nth, std::int32_t code);
  void FailFrom(const std::string& op, std::uint64_t nth, std::int32_t code);
  void ClearFaults();

  // IDeployment
  bool RuntimePresent() override;
  std::int32_t RoInitialize() override;
  void RoUninitialize() override;
  std::int32_t GetActivationFactory(const ustring& className, TDeployObj& factory) override;
  std::int32_t ActivateInstance(TDeployObj factory, const TGuid& iid, TDeployObj& object) override;
  void Release(TDeployObj object) override;
  TRtResult FindPackagesByUserSecurityIdPackageFamilyName(
      TDeployObj manager, const ustring& userSid, const ustring& familyName,
      const std::function<bool(const ustring& fullName)>& visit) override;
  TRtResult RemovePackageWithOptionsAsync(TDeployObj manager2, const ustring& fullName, std::uint32_t options,
                                          TDeployObj& operation) override;
  std::int32_t AddPackageByUriAsync(TDeployObj manager9, TDeployObj packageUri, TDeployObj options,
                                    TDeployObj& operation) override;
  std::int32_t PutExternalLocationUri(TDeployObj options, TDeployObj uri) override;
  TRtResult CreateUri(const ustring& text, TDeployObj& uri) override;
  std::int32_t UrlCreateFromPathW(const ustring& path, char16_t* buffer, std::uint32_t& size) override;
  std::int32_t PutCompleted(TDeployObj operation, std::shared_ptr<IAsyncCompletedHandler> handler) override;
  std::int32_t PutProgress(TDeployObj operation, std::shared_ptr<IAsyncProgressHandler> handler) override;
  std::int32_t GetResults(TDeployObj operation, std::int32_t& extendedCode, ustring& errorText) override;
  std::uint32_t CreateEventW(THandle& event) override;
  bool SetEvent(THandle event) override;
  bool ResetEvent(THandle event) override;
  void CloseEvent(THandle event) override;
  std::uint32_t MsgWaitForEvents(const TEventPair& events) override;

 private:
  struct TOperation;
  struct TObject;
  struct TFault;

  // Counts the call and answers whether an armed fault makes it fail (with its code).
  bool Faulted(const char* op, std::int32_t& code);
  TObject* Find(TDeployObj handle, int kind, const TGuid* iid);
  TDeployObj Hand(std::shared_ptr<TObject> object);
  std::shared_ptr<TOperation> StartOperation(bool isRemoval, const ustring& target);
  void RunIfSubscribed(const std::shared_ptr<TOperation>& op);
  void Deliver(std::shared_ptr<TOperation> op);
  void Finish(TOperation& op);  // final status and its effect; lock held

  std::mutex lock_;
  std::condition_variable changed_;  // an event was set or a deployment finished
  std::vector<ustring> packages_;
  std::vector<ustring> removals_;
  std::vector<TSimAddition> additions_;
  std::map<TDeployObj, std::shared_ptr<TObject>> objects_;      // client references
  std::map<TDeployObj, std::shared_ptr<TOperation>> operations_;  // by operation id
  std::map<THandle, bool> events_;                               // handle -> set
  std::map<std::thread::id, int> apartments_;
  std::vector<TFault> faults_;
  std::map<std::string, std::uint64_t> counts_;
  std::vector<std::thread> workers_;
  bool held_ = false;
  std::uintptr_t next_ = 0x7000;
};
