method G static s; inout i; proc /* comment */ s = 1.5; // line
 endp