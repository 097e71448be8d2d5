// The script half of the runtime's calling convention.
#include "sdk/zz/CorvanaJSRunEnv.h"

const char* const CorvanaJSRunEnv::sendCmdScript = R"JS(
var SendCmd = (function () {
    var S = window.SendCmd || {};
    S._RETURN_VALUE = undefined;

    S.createNameSpace = function (name) {
        var parts = String(name).split('.'), space = window;
        for (var i = 0; i < parts.length; i++) {
            if (space[parts[i]] === undefined || space[parts[i]] === null)
                space[parts[i]] = {};
            space = space[parts[i]];
        }
        return space;
    };

    function makeFunction(nameSpace, funcName, argNum) {
        return function () {
            var count = Math.min(argNum, arguments.length), text = '';
            for (var i = 0; i < count; i++)
                text += 'p' + i + '=' + encodeURIComponent(arguments[i]) + '&';
            return S._sendMessageToObjectC(nameSpace, funcName, text);
        };
    }

    S.createClass = function (nameSpace, methodJson) {
        if (!nameSpace || !methodJson) {
            alert('nameSpace = ' + nameSpace + ' methodJSon = ' + methodJson);
            return;
        }
        var space = S.createNameSpace(nameSpace), list = JSON.parse(methodJson);
        for (var i = 0; i < list.length; i++)
            space[list[i].funcName] = makeFunction(nameSpace, list[i].funcName, list[i].argNum);
    };

    function send(scheme, nameSpace, funcName, params) {
        var url = scheme + '://' + nameSpace + '/' + funcName;
        if (params !== null && params !== undefined)
            url += '?' + params;
        console.log('[API]', url);
        return S._openURL(url);
    }

    S._sendMessageToObjectC = function (nameSpace, funcName, params) {
        return send('corvanajsbridge', nameSpace, funcName, params);
    };
    S._sendHttpUrlReq = function (a, b, c) {
        return send('sendhttpurl', a, b, c);
    };
    S._createObject = function (a, b, c) {
        return S._sendMessageToObjectC(a, b, c);
    };
    S._endfunc = function (a, b, c) {
        return S._sendMessageToObjectC(a, b, c);
    };

    // The native side answers inside openURL, through setReturnValue.
    S._openURL = function (url) {
        S._RETURN_VALUE = undefined;
        openURL(url);
        var value = S._RETURN_VALUE;
        S._RETURN_VALUE = undefined;
        return value === undefined ? null : value;
    };
    S.setReturnValue = function (value) {
        S._RETURN_VALUE = value;
    };
    return S;
})();
window.SendCmd = SendCmd;
)JS";
