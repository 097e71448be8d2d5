#include "app/services/IZMRDownlinkTask.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/Object.h"

#include <gtest/gtest.h>

namespace {

struct TaskRow {
    const char* className;
    const pf::Protocol* taskType;
    bool goesToServer;
};

std::vector<TaskRow> taskRows()
{
    return {
        {"ZMRAuthTask", proto::IZMRAuthTask(), true},
        {"ZMRLoginTask", proto::IZMRLoginTask(), true},
        {"ZMRRegisterTask", proto::IZMRRegisterTask(), true},
        {"ZMRLogoutTask", proto::IZMRLogoutTask(), true},
        {"ZMRVoxlyLoginTask", proto::IZMRVoxlyLoginTask(), true},
        {"ZMRVoxlyBindTask", proto::IZMRVoxlyBindTask(), true},
        {"ZMRZZLoginTask", proto::IZMRZZLoginTask(), true},
        {"ZMRZZBindTask", proto::IZMRZZBindTask(), true},
        {"ZMRUpdateUserTask", proto::IZMRUpdateUserTask(), true},
        {"ZMRCoinTask", proto::IZMRCoinTask(), true},
        {"ZMRPrizeBuyTask", proto::IZMRPrizeBuyTask(), true},
        {"ZMRClassifyTask", proto::IZMRClassifyTask(), true},
        {"ZMRClassifyGetTask", proto::IZMRClassifyGetTask(), false},
        {"ZMRImageUploadTask", proto::IZMRImageUploadTask(), false},
        {"ZMRUserImageUploadTask", proto::IZMRImageUploadTask(), false},
        {"ZMRPublishImageUploadTask", proto::IZMRImageUploadTask(), false},
        {"ZMRFollowTask", proto::IZMRFollowTask(), true},
        {"ZMRUnFollowTask", proto::IZMRUnFollowTask(), true},
        {"ZMRConcernTask", proto::IZMRConcernTask(), true},
        {"ZMRRefreshUserTask", proto::IZMRRefreshUserTask(), false},
        {"ZMRBooksCreateTask", proto::IZMRBooksCreateTask(), true},
        {"ZMRBooksSearchTask", proto::IZMRBooksSearchTask(), true},
        {"ZMRLikeTask", proto::IZMRLikeTask(), true},
        {"ZMRUnLikeTask", proto::IZMRUnLikeTask(), true},
        {"ZMRCommentTask", proto::IZMRCommentTask(), true},
        {"ZMRPublishTask", proto::IZMRPublishTask(), true},
    };
}

bool isEmptyValue(const pf::Value& v)
{
    if (v.isNil())
        return true;
    if (const pf::Number* n = v.number())
        return n->isReal() ? n->real == 0 : n->integer == 0;
    return false;
}

}

TEST(ZMRTaskClasses, EveryClassIsMadeByNameAdoptsItsTypeAndStartsEmpty)
{
    for (const TaskRow& row : taskRows()) {
        SCOPED_TRACE(row.className);
        const pf::Class* cls = pf::Class::named(row.className);
        ASSERT_NE(cls, nullptr);
        EXPECT_TRUE(cls->conformsTo(row.taskType));
        EXPECT_EQ(cls->conformsTo(proto::IZMRAPITask()), row.goesToServer);
        pf::ObjectRef task = cls->create();
        ASSERT_NE(task, nullptr);
        EXPECT_NE(std::dynamic_pointer_cast<IKRTask>(task), nullptr);
        for (const pf::Class* c = cls; c; c = c->superclass()) {
            for (const pf::Property& property : c->properties()) {
                SCOPED_TRACE(property.name);
                EXPECT_TRUE(isEmptyValue(task->valueForKey(property.name)));
            }
        }
    }
}

TEST(ZMRTaskClasses, SourceAndDelegateAreNotKeptAlive)
{
    struct Delegate : IKRUplinkTaskDelegate {};
    auto task = std::make_shared<ZMRLoginTask>();
    auto source = std::make_shared<ZMRCoinTask>();
    auto delegate = std::make_shared<Delegate>();
    task->setSource(source);
    task->setDelegate(delegate);
    EXPECT_EQ(task->source(), source);
    EXPECT_EQ(task->delegate(), delegate);
    const pf::Object* identity = source.get();
    source.reset();
    delegate.reset();
    EXPECT_EQ(task->source(), nullptr);
    EXPECT_EQ(task->delegate(), nullptr);
    EXPECT_EQ(task->sourceIdentity(), identity);
}

TEST(ZMRTaskClasses, PortraitUploadKeepsItsUpdateTaskAliveButNotItsPublishingWorker)
{
    auto upload = std::make_shared<ZMRUserImageUploadTask>();
    auto update = std::make_shared<ZMRUpdateUserTask>();
    std::weak_ptr<ZMRUpdateUserTask> weakUpdate = update;
    upload->setTask(update);
    upload->setTaskType(proto::IZMRUpdateUserTask());
    update.reset();
    EXPECT_NE(weakUpdate.lock(), nullptr);

    auto photo = std::make_shared<ZMRPublishImageUploadTask>();
    auto worker = std::make_shared<ZMRPublishTask>();
    photo->setWorker(worker);
    worker.reset();
    EXPECT_EQ(photo->worker(), nullptr);
}
