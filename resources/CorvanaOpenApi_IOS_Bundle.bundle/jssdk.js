// The ZZ JS SDK as web pages load it: pages call zzjssdk.ready(f).
var zzjssdk = window.zzjssdk || {
    version: '2.0.1',
    ready: function (f) {
        if (typeof f === 'function')
            f();
    }
};
window.zzjssdk = zzjssdk;
