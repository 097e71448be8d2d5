#include "app/screens/account/ZMRNickRule.h"

#include "framework/util/TextLength.h"
#include "platform/foundation/Text.h"

ZMRNickCheck ZMRCheckNick(const std::string& typed)
{
    ZMRNickCheck check{pf::trimWhitespaceAndNewlines(typed), std::nullopt};
    int length = textLength(check.nick);
    if (length == 0)
        check.refusal = "请输入昵称";
    else if (length < 4)
        check.refusal = "昵称至少4个字符,或2个汉字";
    else if (length > 24)
        check.refusal = "昵称最多24个字符,或12个汉字";
    return check;
}
