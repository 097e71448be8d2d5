#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "platform/foundation/Boxed.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

TEST(ZMRTaskClasses, DeclaredFieldsReadAndWriteByKey)
{
    pf::BitmapRef bitmap = pf::Bitmap::create(2, 2).value();
    auto worker = std::make_shared<ZMRPublishTask>();
    auto size = pf::Boxed<pf::Size>::make(pf::Size{4, 3});
    struct Row {
        const char* className;
        const char* key;
        pf::Value value;
    } rows[] = {
        {"ZMRConcernTask", "status", pf::Value(4000000000LL)},
        {"ZMRUpdateUserTask", "logoImage", pf::Value(pf::Image::create(bitmap))},
        {"ZMRImageUploadTask", "image", pf::Value(pf::Image::create(bitmap))},
        {"ZMRImageUploadTask", "imageSize", size},
        {"ZMRUserImageUploadTask", "taskType", pf::Value("IZMRUpdateUserTask")},
        {"ZMRPublishImageUploadTask", "worker", pf::Value(worker)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.className) + "." + row.key);
        const pf::Class* cls = pf::Class::named(row.className);
        ASSERT_NE(cls, nullptr);
        pf::ObjectRef task = cls->create();
        task->setValueForKey(row.key, row.value);
        pf::Value read = task->valueForKey(row.key);
        if (row.value.objectAs<pf::Image>())
            EXPECT_EQ(read.objectAs<pf::Image>()->bitmap(), bitmap);
        else if (auto boxed = pf::Boxed<pf::Size>::from(row.value))
            EXPECT_EQ(pf::Boxed<pf::Size>::from(read), boxed);
        else
            EXPECT_EQ(read, row.value);
    }
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
