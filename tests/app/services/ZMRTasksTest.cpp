#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"

#include <gtest/gtest.h>

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
