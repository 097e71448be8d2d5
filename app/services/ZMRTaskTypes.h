#pragma once

// The application's task types. Each is a protocol object, compared by
// identity on the bus (`taskType == proto::IZMRLoginTask()`). Every type that
// goes to the application server adopts the marker IZMRAPITask, which is what
// the envelope service looks for. registerServicesClasses() defines them all
// so that the configuration can name them before any code has.

namespace pf {
class Protocol;
}

namespace proto {

const pf::Protocol* IZMRAPITask();
const pf::Protocol* IZMRAuthTask();
const pf::Protocol* IZMRLoginTask();
const pf::Protocol* IZMRRegisterTask();
const pf::Protocol* IZMRLogoutTask();
const pf::Protocol* IZMRVoxlyLoginTask();
const pf::Protocol* IZMRVoxlyBindTask();
const pf::Protocol* IZMRZZLoginTask();
const pf::Protocol* IZMRZZBindTask();
const pf::Protocol* IZMRUpdateUserTask();
const pf::Protocol* IZMRCoinTask();
const pf::Protocol* IZMRPrizeBuyTask();
const pf::Protocol* IZMRClassifyTask();
const pf::Protocol* IZMRClassifyGetTask();
const pf::Protocol* IZMRImageUploadTask();
const pf::Protocol* IZMRFollowTask();
const pf::Protocol* IZMRUnFollowTask();
const pf::Protocol* IZMRConcernTask();
const pf::Protocol* IZMRRefreshUserTask();
const pf::Protocol* IZMRBooksCreateTask();
const pf::Protocol* IZMRBooksSearchTask();
const pf::Protocol* IZMRLikeTask();
const pf::Protocol* IZMRUnLikeTask();
const pf::Protocol* IZMRCommentTask();
const pf::Protocol* IZMRPublishTask();
const pf::Protocol* IZMRDownlinkTask();

// Every protocol above, in declaration order.
void defineServicesProtocols();

}

// The sign-ins (login, register, Voxly and ZZ login): their answers carry the
// token of a new sign-in, which names the signed-in user together with its
// user id, or not at all.
bool ZMRIsSignIn(const pf::Protocol* taskType);
