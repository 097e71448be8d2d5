// Where the scripts send their requests, and which operations they carry.
corvana.config = {
    oauthOrigin: 'https://openmobile.zz.example',
    // name space -> function names of the ZZ Connect operations
    operations: {
        info: ['getUserInfo', 'getVipUserInfo', 'getVipUserRichInfo'],
        plaza: ['listAlbum', 'listPhotos', 'addShare', 'uploadPicture', 'addAlbum', 'sendBlog', 'sendShuoshuo'],
        voxly: ['checkFans', 'nickTips', 'atFriends'],
        pub: ['jscall'],
        localresult: ['sendStory']
    }
};
