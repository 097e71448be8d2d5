#pragma once

// A user's posts as a bare feed table on the application's screen: the user
// feed source and the feed row controller over the shipped row template, on
// the shell's bus, with the table on the key window. Loading it, and taking
// the table away, is the test's.

#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/people/ZMRUserFeedDataSource.h"
#include "app/services/ZMRShell.h"
#include "framework/data/KRTableView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <memory>
#include <string>

// Wires `feed` (the posts of `uid`), `rows` and `table` together, puts the
// table on the key window and asks for the rows.
inline void showUserFeedTable(const std::shared_ptr<ZMRShell>& shell, long long uid,
                              const std::shared_ptr<ZMRUserFeedDataSource>& feed,
                              const std::shared_ptr<ZMRFeedController>& rows, const std::shared_ptr<KRTableView>& table)
{
    feed->setTaskType(std::string("ZMRUserFeedsTask"));
    feed->setDataKey(std::string("list"));
    feed->setUid(uid);
    feed->setContext(shell);
    rows->setHtml(std::string("templates/feed_item.html"));
    rows->setDataSource(feed);
    rows->setContext(shell);
    rows->setTableView(table);
    table->setBackgroundColor(pf::Color::whiteColor());
    pf::Screen::main().keyWindow()->addSubview(table);
    rows->reloadData();
}
