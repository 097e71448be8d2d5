#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

TEST(ZMRTaskClasses, KeyedValuesKeepTheirRangeAndTaskTypesAreReadFromTheirNames)
{
    pf::ObjectRef concern = pf::Class::named("ZMRConcernTask")->create();
    concern->setValueForKey("status", pf::Value(4000000000LL));
    EXPECT_EQ(concern->valueForKey("status"), pf::Value(4000000000LL));
    auto upload = std::make_shared<ZMRUserImageUploadTask>();
    upload->setValueForKey("taskType", pf::Value("IZMRUpdateUserTask"));
    EXPECT_EQ(upload->taskType(), proto::IZMRUpdateUserTask());
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
