#include "tools/appserver/AppServerPages.h"

#include "tools/appserver/AppPictures.h"

#include <httplib.h>

#include <string>

namespace zmr {

namespace {

std::string page(const std::string& title, const char* colour, const std::string& body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title
           + "</title></head>\n<body style=\"margin:0;background-color:#ffffff;font-size:15px;color:#333333\">\n"
             "<div style=\"background-color:"
           + colour + ";height:80px;color:#ffffff;font-size:20px;padding:20px 16px 0 16px\">" + title + "</div>\n"
           + body + "</body></html>\n";
}

std::string agreementPage()
{
    return page("用户协议", kAgreementBlockColour,
                "<p style=\"margin:12px 16px\">欢迎使用Zomaru。使用本应用即表示你同意以下条款：你发布的内容由你负责，"
                "我们会妥善保管你的账本与资料。</p>\n"
                "<p style=\"margin:12px 16px\"><img src=\"/pages/agreement.png\" width=\"240\" height=\"120\"></p>\n"
                "<p style=\"margin:12px 16px\">关于个人信息的使用，请阅读<a href=\"/pages/privacy.html\">隐私说明</a>。</p>\n");
}

std::string privacyPage()
{
    return page("隐私说明", kPrivacyBlockColour,
                "<p style=\"margin:12px 16px\">我们只在提供服务所需的范围内使用你的位置与账本信息，"
                "不会向第三方出售任何个人信息。</p>\n");
}

}

void addPageRoutes(httplib::Server& server)
{
    server.Get("/pages/agreement.html", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(agreementPage(), "text/html; charset=utf-8");
    });
    server.Get("/pages/privacy.html", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(privacyPage(), "text/html; charset=utf-8");
    });
    server.Get("/pages/agreement.png", [](const httplib::Request&, httplib::Response& response) {
        auto picture = renderPicture("photo:41:240:120:png");
        if (!picture) {
            response.status = 500;
            return;
        }
        response.set_content(picture->bytes, picture->contentType.c_str());
    });
}

}
