#include "app/screens/people/ZMRUserDetailsController.h"

#include "app/services/ZMRAnswer.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/foundation/Collections.h"

#include <algorithm>
#include <climits>

ZMRUserDetailsController::~ZMRUserDetailsController()
{
    if (m_dataSource) {
        m_dataSource->cancel();
        // Our own link can no longer be locked here: an empty one is ours (or none).
        if (!m_dataSource->delegate())
            m_dataSource->setDelegate(nullptr);
    }
}

void ZMRUserDetailsController::setDataSource(std::shared_ptr<KRDataSource> dataSource)
{
    if (m_dataSource == dataSource)
        return;
    auto self = weak_from_this().lock();
    if (m_dataSource && self && m_dataSource->delegate() == self)
        m_dataSource->setDelegate(nullptr);
    m_dataSource = std::move(dataSource);
    if (m_dataSource && self)
        m_dataSource->setDelegate(self);
}

int ZMRUserDetailsController::fansCount() const
{
    pf::Value fans = dataForKeyPath(dataItem(), "fansCount");
    if (!fans.isNumber() && !fans.isString())
        return 0;
    return static_cast<int>(std::clamp(fans.longLongValue(), 0LL, static_cast<long long>(INT_MAX)));
}

void ZMRUserDetailsController::setFansCount(int fansCount)
{
    fansCount = std::max(fansCount, 0);
    if (pf::DictionaryRef profile = dataItem().dictionary())
        profile->set("fansCount", fansCount);
    // The kept document only: reading document() would build one.
    KRDOMDocumentRef shown = hasDocument() ? document() : nullptr;
    KRDOMElementRef label = shown ? shown->elementById("fansLabel") : nullptr;
    if (!label)
        return;
    label->setText(std::to_string(fansCount));
    label->layout();
    label->setNeedDisplay();
}

void ZMRUserDetailsController::setMutual(bool mutual)
{
    if (pf::DictionaryRef profile = dataItem().dictionary())
        profile->set("mutual", mutual);
    KRDOMDocumentRef shown = hasDocument() ? document() : nullptr;
    KRDOMElementRef label = shown ? shown->elementById("mutualLabel") : nullptr;
    if (!label)
        return;
    label->setAttributeValue(mutual ? "false" : "true", "hidden");
    // The badge sits in a flow beside the name: the flow lays out again.
    KRDOMElementRef around = label->parentElement();
    (around ? around : label)->layout();
    (around ? around : label)->setNeedDisplay();
}

void ZMRUserDetailsController::reloadData()
{
    if (auto source = m_dataSource)
        source->reloadData();
}

void ZMRUserDetailsController::cancel()
{
    if (auto source = m_dataSource)
        source->cancel();
}

void ZMRUserDetailsController::setContext(std::weak_ptr<IKRUIContext> context)
{
    KRDocumentController::setContext(context);
    if (m_dataSource)
        m_dataSource->setContext(std::move(context));
}

void ZMRUserDetailsController::didSourceDataChanged()
{
    auto self = shared_from_this();
    pf::Value profile = m_dataSource ? m_dataSource->dataObject() : pf::Value();
    if (!profile.isDictionary())
        return;
    setDataItem(profile);
    // The template shows the count as the server wrote it: only a whole
    // number of at least 0 may stand there.
    profile.dictionary()->set("fansCount", fansCount());
    setDocument(nullptr);
    KRDocumentController::reloadData();
    if (auto delegate = std::dynamic_pointer_cast<ZMRUserDetailsControllerDelegate>(this->delegate()))
        delegate->userDetailsControllerDidContentSizeChanged(*this);
}

void ZMRUserDetailsController::krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date)
{
    if (ownSource(dataSource))
        didSourceDataChanged();
}

void ZMRUserDetailsController::krDataSourceDidLoaded(KRDataSource& dataSource)
{
    if (!ownSource(dataSource))
        return;
    if (dataSource.dataObject().isDictionary()) {
        didSourceDataChanged();
        return;
    }
    // An answer without the profile tells no more than a failed one: the
    // page that waits for the server's word must not take it for one.
    krDataSourceDidFitalError(dataSource, pf::Error{"ZMRUserDetailsController", ZMRServerFailedCode, ""});
}

void ZMRUserDetailsController::krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error)
{
    if (!ownSource(dataSource))
        return;
    auto self = shared_from_this();
    if (auto delegate = std::dynamic_pointer_cast<ZMRUserDetailsControllerDelegate>(this->delegate()))
        delegate->userDetailsControllerDidFailWithError(*this, error);
}
