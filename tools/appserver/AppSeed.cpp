// AppStore::seedDemo: the demo world.

#include "tools/appserver/AppSeed.h"

#include "tools/appserver/AppStore.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ctime>
#include <cmath>
#include <numbers>
#include <cstdio>

namespace zmr {

namespace {

constexpr long long kDay = 24 * 60 * 60;
constexpr long long kHour = 60 * 60;

const char* const kBodies[] = {
    "周末超市会员日，牛奶和鸡蛋都打了八折", "换季清仓买到一件很喜欢的外套", "团购的电饭煲到了，比商场便宜不少",
    "宝宝的纸尿裤囤货，满减很划算", "今天的菜市场收摊价，青菜一块钱一把", "跑步鞋赶上新品首发优惠",
    "家里的台灯坏了，二手群里淘了一个", "面包店晚上八点后半价", "积分换了一箱水果，开心",
    "咖啡豆买一送一，够喝一个月", "给妈妈买的围巾，包邮还送了贺卡", "学校门口文具店开学季打折",
};
// Some names are long enough to wrap in a narrow row.
const char* const kShops[] = {"街角超市", "河畔商场", "夜市小摊", "港口杂货铺老码头店",
                              "山坡面包房", "东门菜场", "新华书店中山路分店", "阳光母婴"};
const char* const kTags[] = {"打折", "包邮", "限时", "新品", "满减", "团购", "秒杀", "清仓", "会员", "返现"};
const char* const kComments[] = {"真划算！", "在哪里买的？", "我也想要", "下次叫上我", "这个价格很好了", "收藏了"};
const char* const kPrizeTitles[] = {"保温杯", "帆布袋", "雨伞", "电影票两张", "咖啡券", "蓝牙耳机",
                                    "台历", "绿植盆栽", "限量徽章", "儿童绘本", "厨房围裙", "笔记本"};
const int kPhotoSizes[][2] = {{1280, 960}, {960, 1280}, {1280, 720}, {800, 800}, {640, 480}, {1024, 768}};

long long secondsNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Person i (from 0) lives i * 350 m further out from the centre, each at
// another bearing, so that "near" orders them in a known way.
void positionOf(int index, double& latitude, double& longitude)
{
    double metres = 150 + index * 350.0, bearing = index * 0.52;
    latitude = kSeedCentreLatitude + metres * std::cos(bearing) / 111000.0;
    double metresPerDegreeEast = 111000.0 * std::cos(kSeedCentreLatitude * std::numbers::pi / 180);
    longitude = kSeedCentreLongitude + metres * std::sin(bearing) / metresPerDegreeEast;
}


// A conversation under two of the demo account's posts: comments from
// others, the account's answers and replies between the others, so that
// the account's comment list holds replies of both kinds.
bool seedDemoConversations(AppStore& store, long long now)
{
    struct Line {
        long long pid, uid;
        int replyTo; // index of an earlier line, or -1
        const char* body;
        long long minutes; // after the post
    };
    static const Line kLines[] = {
        {27, 10003, -1, "这家店周末人多吗？", 20},   {27, 10001, 0, "上午去人少一些", 45},
        {27, 10005, -1, "价格真不错，明天去看看", 70}, {27, 10002, 2, "一起去呀", 95},
        {14, 10007, -1, "求具体地址", 30},            {14, 10001, 4, "就在店门口的告示牌旁边", 50},
    };
    // The posts' times as the seed gave them: post p is (p - 1) * 5 hours old.
    std::vector<long long> made;
    for (const Line& line : kLines) {
        long long time = now - (line.pid - 1) * 5 * kHour - 17 * 60 + line.minutes * 60;
        long long parent = line.replyTo >= 0 ? made[static_cast<std::size_t>(line.replyTo)] : 0;
        auto comment = store.addComment(line.uid, parent ? 0 : line.pid, parent, line.body, time);
        if (!comment)
            return false;
        made.push_back(comment->first);
    }
    return true;
}

}

const std::vector<SeedPerson>& seedPeople()
{
    static const std::vector<SeedPerson> people = {
        {10001, "demo", "demo-password", "演示用户"}, {10002, "anqi", "pw-anqi", "安琪"},
        {10003, "baixue", "pw-baixue", "白雪"},       {10004, "chenchen", "pw-chenchen", "陈晨"},
        {10005, "dingyi", "pw-dingyi", "丁一"},       {10006, "fangyuan", "pw-fangyuan", "方圆"},
        {10007, "gaoshan", "pw-gaoshan", "高山"},     {10008, "hehuan", "pw-hehuan", "何欢"},
        {10009, "jinxin", "pw-jinxin", "金鑫"},       {10010, "lina", "pw-lina", "李娜"},
        {10011, "make", "pw-make", "马克"},           {10012, "ningjing", "pw-ningjing", "宁静"},
        {10013, "panduo", "pw-panduo", "潘多"},
    };
    return people;
}

bool AppStore::seedDemo()
{
    long long now = secondsNow();
    if (checkPassword("demo", "demo-password") || user(10001))
        return seedDemoLedger(now);
    // One transaction for the whole world: a few milliseconds instead of
    // one disk sync per row.
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    bool ok = true;
    const auto& people = seedPeople();
    for (std::size_t i = 0; i < people.size() && ok; ++i) {
        const SeedPerson& person = people[i];
        double latitude = 0, longitude = 0;
        positionOf(static_cast<int>(i), latitude, longitude);
        std::string portrait = "portrait-" + std::to_string(person.uid) + ".png";
        ok = addUserWithId(person.uid, person.account, person.password, person.nick) &&
             addGeneratedImage(portrait, "portrait:" + std::to_string(person.uid)) &&
             setUserLook(person.uid, "/images/" + portrait, latitude, longitude) &&
             addPoints(person.uid, person.uid == 10001 ? 1000 : 300 + static_cast<long long>(i) * 150);
    }
    for (long long followed : kSeedFollowed)
        ok = ok && setFollowing(10001, followed, true);
    for (long long back : kSeedFollowingBack)
        ok = ok && setFollowing(back, 10001, true);
    // A fan the demo account does not follow, and a pair of friends elsewhere.
    ok = ok && setFollowing(10008, 10001, true) && setFollowing(10005, 10006, true) && setFollowing(10006, 10005, true) &&
         setFollowing(10009, 10010, true);

    for (int i = 0; i < kSeedPostCount && ok; ++i) {
        std::size_t author = static_cast<std::size_t>(i) % people.size();
        AppPost post;
        post.pid = i + 1;
        post.uid = people[author].uid;
        post.body = kBodies[i % std::size(kBodies)];
        post.shopTitle = kShops[i % std::size(kShops)];
        post.shopAddress = std::string(kShops[i % std::size(kShops)]) + std::to_string(i % 9 + 1) + "号";
        post.expendMoney = 20 + (i * 37) % 300 + 0.5 * (i % 2);
        post.payMoney = post.expendMoney + 5 + (i * 13) % 60;
        post.cids = {i % 8 + 1};
        if (i % 3 == 0)
            post.cids.push_back((i + 3) % 8 + 1);
        for (int t = 0; t < i % 4; ++t)
            post.tags.push_back(kTags[(i + t * 3) % std::size(kTags)]);
        post.createTime = now - i * 5 * kHour - 17 * 60;
        positionOf(static_cast<int>(author), post.latitude, post.longitude);
        post.latitude += (i % 5) * 0.0004;
        for (int k = 0; k < i % 10 && ok; ++k) {
            const int* size = kPhotoSizes[(i + k) % std::size(kPhotoSizes)];
            const char* format = (i + k) % 2 ? "png" : "jpeg";
            std::string name = "post-" + std::to_string(post.pid) + "-" + std::to_string(k) + ((i + k) % 2 ? ".png" : ".jpg");
            char recipe[64];
            std::snprintf(recipe, sizeof recipe, "photo:%lld:%d:%d:%s", post.pid * 10 + k, size[0], size[1], format);
            ok = addGeneratedImage(name, recipe);
            post.images.push_back({"/images/" + name, static_cast<double>(size[0]), static_cast<double>(size[1])});
        }
        ok = ok && addPost(post, 0);
        // Comments from the next people round, a reply to the first one on every fourth post.
        for (int c = 0; ok && i % 3 != 2 && c < 1 + i % 3; ++c) {
            long long commenter = people[(author + 1 + static_cast<std::size_t>(c) * 4) % people.size()].uid;
            auto made = addComment(commenter, post.pid, 0, kComments[(i + c) % std::size(kComments)], post.createTime + (c + 1) * 600);
            ok = made.has_value();
            if (ok && c == 0 && i % 4 == 0)
                // Three hours on, but never later than now: a reply from the
                // future would read as just written.
                ok = addComment(post.uid, 0, made->first, "谢谢！就在" + post.shopTitle,
                                std::min(post.createTime + 3 * kHour, now - 60)).has_value();
        }
        for (std::size_t j = 0; ok && j < people.size(); ++j) {
            if (j != author && (static_cast<std::size_t>(i) + j) % 4 == 0)
                ok = setLikeAt(people[j].uid, post.pid, post.createTime + static_cast<long long>(j) * 60);
        }
    }

    ok = ok && seedDemoConversations(*this, now);

    for (int p = 0; p < kSeedPrizeCount && ok; ++p) {
        AppPrize prize;
        prize.pid = p + 1;
        prize.title = kPrizeTitles[p];
        prize.body = std::string("用积分兑换") + kPrizeTitles[p] + "，数量有限。";
        prize.price = 100 + p * 150;
        prize.publishCount = 30;
        prize.count = 30 - (p * 7) % 25;
        prize.saleTime = now - 3 * kDay;
        prize.endTime = now + 10 * kDay;
        if (p == 6 || p == 7) { // not on sale yet
            prize.saleTime = now + 2 * kDay;
            prize.endTime = now + 20 * kDay;
        } else if (p == 8 || p == 9) { // sold out
            prize.count = 0;
        } else if (p >= 10) { // ended
            prize.saleTime = now - 30 * kDay;
            prize.endTime = now - 2 * kDay;
        }
        if (p == kSeedPrizeCount - 1) // ended without a piece ever issued
            prize.publishCount = prize.count = 0;
        std::string name = "prize-" + std::to_string(prize.pid) + ".jpg";
        prize.picture = "/images/" + name;
        ok = addGeneratedImage(name, "photo:" + std::to_string(1000 + prize.pid) + ":640:480:jpeg") && addPrize(prize).has_value();
    }

    if (!ok) {
        exec("ROLLBACK");
        return false;
    }
    return exec("COMMIT") && seedDemoLedger(now);
}

bool AppStore::seedDemoLedger(long long now)
{
    // The seeded entries are listed apart, so that a restart replaces them
    // and only them.
    if (!exec("CREATE TABLE IF NOT EXISTS demo_books (bid INTEGER PRIMARY KEY)") || !exec("BEGIN IMMEDIATE"))
        return false;
    bool ok = exec("DELETE FROM books WHERE bid IN (SELECT bid FROM demo_books)") && exec("DELETE FROM demo_books");
    std::time_t today = static_cast<std::time_t>(now);
    std::tm fields{};
    localtime_r(&today, &fields);
    std::tm day{};
    day.tm_year = fields.tm_year;
    day.tm_mon = fields.tm_mon - 1;
    day.tm_mday = 1;
    day.tm_isdst = -1;
    for (int k = 0; ok; ++k) {
        std::tm start = day;
        start.tm_mday += k;
        long long dayStart = static_cast<long long>(std::mktime(&start));
        if (dayStart < 0 || dayStart > now)
            break;
        bool isToday = start.tm_year == fields.tm_year && start.tm_yday == fields.tm_yday;
        if (start.tm_mday % 4 == 3 && !isToday)
            continue;
        for (int e = 0; e < (start.tm_mday % 5 == 0 ? 2 : 1) && ok; ++e) {
            int n = k * 2 + e;
            AppBook book;
            book.uid = 10001;
            book.expendMoney = 15 + (n * 23) % 200 + 0.5 * (n % 2);
            book.payMoney = book.expendMoney + 3 + (n * 7) % 40;
            positionOf(n % 13, book.latitude, book.longitude);
            book.title = kShops[n % std::size(kShops)];
            book.address = book.title + std::to_string(n % 9 + 1) + "号";
            book.remark = n % 3 == 0 ? "记得下次带购物袋" : n % 7 == 1 ? "和朋友一起" : "";
            book.cids = {n % 8 + 1};
            if (n % 4 == 0)
                book.cids.push_back((n + 3) % 8 + 1);
            // Today's entries are already past.
            book.createTime = std::min(dayStart + (9 + (n * 5) % 12) * kHour + e * 37 * 60, now - 60 * (1 + e));
            book.createTime = std::max(book.createTime, dayStart);
            auto added = addBook(book);
            ok = added && exec(("INSERT INTO demo_books (bid) VALUES (" + std::to_string(added->bid) + ")").c_str());
        }
    }
    if (!ok) {
        exec("ROLLBACK");
        return false;
    }
    return exec("COMMIT");
}

bool fillDemoAlbum(AppStore& store, const std::string& folder)
{
    std::error_code error;
    std::filesystem::path album(folder);
    if (std::filesystem::exists(album, error) && !std::filesystem::is_empty(album, error))
        return true;
    std::filesystem::create_directories(album, error);
    if (error)
        return false;
    for (int n = 1; n <= 4; ++n) {
        auto picture = store.image("prize-" + std::to_string(n) + ".jpg");
        std::ofstream out(album / ("demo-" + std::to_string(n) + ".jpg"), std::ios::binary);
        if (!picture || !(out << picture->first))
            return false;
    }
    return true;
}

}
