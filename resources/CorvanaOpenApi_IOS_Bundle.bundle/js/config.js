// Where the scripts send their requests, and which operations they carry.
// The origin is the native side's: corvana.cauth.init hands it over.
corvana.config = {
    oauthOrigin: '',
    // the probes of the apps that can log in, newest first
    zzProbe: 'mzzopensdkapiV2://zzapp',
    zzGeneralBoard: 'mzzopensdkapiV2://',
    plazaProbe: 'mplazaopensdkapiV2://pzapp',
    plazaGeneralBoard: 'mplazaopensdkapiV2://',
    // name space -> function names of the ZZ Connect operations
    operations: {
        info: ['getUserInfo', 'getVipUserInfo', 'getVipUserRichInfo'],
        plaza: ['listAlbum', 'listPhotos', 'addShare', 'uploadPicture', 'addAlbum', 'sendBlog', 'sendShuoshuo'],
        voxly: ['checkFans', 'nickTips', 'atFriends'],
        pub: ['jscall'],
        localresult: ['sendStory']
    }
};
