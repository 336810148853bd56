// The rows below are transcribed mechanically from the tables the dialog was
// designed with; keep their order, spelling and row numbers as they are.
#include "timezonetables.h"

#include <iterator>

namespace TimezoneTables {

namespace {

const Place africa[] = {
    {"Algeria", "Algiers"},
    {"Angola", "Luanda"},
    {"Benin", "Porto-Novo"},
    {"Botswana", "Gaborone"},
    {"Burkina Faso", "Ouagadougou"},
    {"Burundi", "Bujumbura"},
    {"Cameroon", "Douala"},
    {"Central African Rep.", "Bangui"},
    {"Chad", "Ndjamena"},
    {"Congo (Dem. Rep.)", nullptr},
    {"Congo (Rep.)", "Brazzaville"},
    {"Cote d'Ivoire", "Abidjan"},
    {"Djibouti", "Djibouti"},
    {"Egypt", "Cairo"},
    {"Equatorial Guinea", "Malabo"},
    {"Eritrea", "Asmara"},
    {"Ethiopia", "Addis_Ababa"},
    {"Gabon", "Libreville"},
    {"Gambia", "Banjul"},
    {"Ghana", "Accra"},
    {"Guinea", "Conakry"},
    {"Guinea-Bissau", "Bissau"},
    {"Kenya", "Nairobi"},
    {"Lesotho", "Maseru"},
    {"Liberia", "Monrovia"},
    {"Libya", "Tripoli"},
    {"Malawi", "Blantyre"},
    {"Mali", "Bamako"},
    {"Mauritania", "Nouakchott"},
    {"Morocco", "Casablanca"},
    {"Mozambique", "Maputo"},
    {"Namibia", "Windhoek"},
    {"Niger", "Niamey"},
    {"Nigeria", "Lagos"},
    {"Rwanda", "Kigali"},
    {"Sao Tome & Principe", "Sao_Tome"},
    {"Senegal", "Dakar"},
    {"Sierra Leone", "Freetown"},
    {"Somalia", "Mogadishu"},
    {"South Africa", "Johannesburg"},
    {"South Sudan", "Juba"},
    {"Spain", nullptr},
    {"Sudan", "Khartoum"},
    {"Swaziland", "Mbabane"},
    {"Tanzania", "Dar_es_Salaam"},
    {"Togo", "Lome"},
    {"Tunisia", "Tunis"},
    {"Uganda", "Kampala"},
    {"Western Sahara", "El_Aaiun"},
    {"Zambia", "Lusaka"},
    {"Zimbabwe", "Harare"},
};

const Place americas[] = {
    {"Anguilla", "Anguilla"},
    {"Antigua & Barbuda", "Antigua"},
    {"Argentina", nullptr},
    {"Aruba", "Aruba"},
    {"Bahamas", "Nassau"},
    {"Barbados", "Barbados"},
    {"Belize", "Belize"},
    {"Bolivia", "La_Paz"},
    {"Bonaire Sint Eustatius & Saba", "Kralendijk"},
    {"Brazil", nullptr},
    {"Canada", nullptr},
    {"Cayman Islands", "Cayman"},
    {"Chile", "Santiago"},
    {"Colombia", "Bogota"},
    {"Costa Rica", "Costa_Rica"},
    {"Cuba", "Havana"},
    {"Curacao", "Curacao"},
    {"Dominica", "Dominica"},
    {"Dominican Republic", "Santo_Domingo"},
    {"Ecuador", "Guayaquil"},
    {"El Salvador", "El_Salvador"},
    {"French Guiana", "Cayenne"},
    {"Greenland", nullptr},
    {"Grenada", "Grenada"},
    {"Guadeloupe", "Guadeloupe"},
    {"Guatemala", "Guatemala"},
    {"Guyana", "Guyana"},
    {"Haiti", "Port-au-Prince"},
    {"Honduras", "Tegucigalpa"},
    {"Jamaica", "Jamaica"},
    {"Martinique", "Martinique"},
    {"Mexico", nullptr},
    {"Montserrat", "Montserrat"},
    {"Nicaragua", "Managua"},
    {"Panama", "Panama"},
    {"Paraguay", "Asuncion"},
    {"Peru", "Lima"},
    {"Puerto Rico", "Puerto_Rico"},
    {"Sint Maarten", "Lower_Princes"},
    {"St Barthelemy", "St_Barthelemy"},
    {"St Kitts & Nevis", "St_Kitts"},
    {"St Lucia", "St_Lucia"},
    {"St Martin (French part)", "Marigot"},
    {"St Pierre & Miquelon", "Miquelon"},
    {"St Vincent", "St_Vincent"},
    {"Suriname", "Paramaribo"},
    {"Trinidad & Tobago", "Port_of_Spain"},
    {"Turks & Caicos Is", "Grand_Turk"},
    {"United States", nullptr},
    {"Uruguay", "Montevideo"},
    {"Venezuela", "Caracas"},
    {"Virgin Islands (UK)", "Tortola"},
    {"Virgin Islands (US)", "St_Thomas"},
};

const Place antarctica[] = {
    {"McMurdo Station, Ross Island", "McMurdo"},
    {"Amundsen-Scott Station, South Pole", "South_Pole"},
    {"Rothera Station, Adelaide Island", "Rothera"},
    {"Palmer Station, Anvers Island", "Palmer"},
    {"Mawson Station, Holme Bay", "Mawson"},
    {"Davis Station, Vestfold Hills", "Davis"},
    {"Casey Station, Bailey Peninsula", "Casey"},
    {"Vostok Station, Lake Vostok", "Vostok"},
    {"Dumont-d'Urville Station, Terre Adelie", "DumontDUrville"},
    {"Syowa Station, E Ongul I", "Syowa"},
    {"Macquarie Island Station, Macquarie Island", "Macquarie"},
};

const Place arcticOcean[] = {
    {"Svalbard & Jan Mayen", "Longyearbyen"},
};

const Place asia[] = {
    {"Afghanistan", "Kabul"},
    {"Armenia", "Yerevan"},
    {"Azerbaijan", "Baku"},
    {"Bahrain", "Bahrain"},
    {"Bangladesh", "Dhaka"},
    {"Bhutan", "Thimphu"},
    {"Brunei", "Brunei"},
    {"Cambodia", "Phnom_Penh"},
    {"China", nullptr},
    {"Cyprus", "Nicosia"},
    {"East Timor", "Dili"},
    {"Georgia", "Tbilisi"},
    {"Hong Kong", "Hong_Kong"},
    {"India", "Kolkata"},
    {"Indonesia", nullptr},
    {"Iran", "Tehran"},
    {"Iraq", "Baghdad"},
    {"Israel", "Jerusalem"},
    {"Japan", "Tokyo"},
    {"Jordan", "Amman"},
    {"Kazakhstan", nullptr},
    {"Korea (North)", "Pyongyang"},
    {"Korea (South)", "Seoul"},
    {"Kuwait", "Kuwait"},
    {"Kyrgyzstan", "Bishkek"},
    {"Laos", "Vientiane"},
    {"Lebanon", "Beirut"},
    {"Macau", "Macau"},
    {"Malaysia", nullptr},
    {"Mongolia", nullptr},
    {"Myanmar (Burma)", "Rangoon"},
    {"Nepal", "Kathmandu"},
    {"Oman", "Muscat"},
    {"Pakistan", "Karachi"},
    {"Palestine", nullptr},
    {"Philippines", "Manila"},
    {"Qatar", "Qatar"},
    {"Russia", nullptr},
    {"Saudi Arabia", "Riyadh"},
    {"Singapore", "Singapore"},
    {"Sri Lanka", "Colombo"},
    {"Syria", "Damascus"},
    {"Taiwan", "Taipei"},
    {"Tajikistan", "Dushanbe"},
    {"Thailand", "Bangkok"},
    {"Turkmenistan", "Ashgabat"},
    {"United Arab Emirates", "Dubai"},
    {"Uzbekistan", nullptr},
    {"Vietnam", "Ho_Chi_Minh"},
    {"Yemen", "Aden"},
};

const Place atlanticOcean[] = {
    {"Bermuda", "Bermuda"},
    {"Cape Verde", "Cape_Verde"},
    {"Falkland Islands", "Stanley"},
    {"Faroe Islands", "Faroe"},
    {"Iceland", "Reykjavik"},
    {"Portugal", nullptr},
    {"South Georgia & the South Sandwich Islands", "South_Georgia"},
    {"St Helena", "St_Helena"},
};

const Place australia[] = {
    {"Lord Howe Island", "Lord_Howe"},
    {"Tasmania - most locations", "Hobart"},
    {"Tasmania - King Island", "Currie"},
    {"Victoria", "Melbourne"},
    {"New South Wales - most locations", "Sydney"},
    {"New South Wales - Yancowinna", "Broken_Hill"},
    {"Queensland - most locations", "Brisbane"},
    {"Queensland - Holiday Islands", "Lindeman"},
    {"South Australia", "Adelaide"},
    {"Northern Territory", "Darwin"},
    {"Western Australia - most locations", "Perth"},
    {"Western Australia - Eucla area", "Eucla"},
};

const Place europe[] = {
    {"Aaland Islands", "Mariehamn"},
    {"Albania", "Tirane"},
    {"Andorra", "Andorra"},
    {"Austria", "Vienna"},
    {"Belarus", "Minsk"},
    {"Belgium", "Brussels"},
    {"Bosnia & Herzegovina", "Sarajevo"},
    {"Britain (UK)", "London"},
    {"Bulgaria", "Sofia"},
    {"Croatia", "Zagreb"},
    {"Czech Republic", "Prague"},
    {"Denmark", "Copenhagen"},
    {"Estonia", "Tallinn"},
    {"Finland", "Helsinki"},
    {"France", "Paris"},
    {"Germany", "Berlin"},
    {"Gibraltar", "Gibraltar"},
    {"Greece", "Athens"},
    {"Guernsey", "Guernsey"},
    {"Hungary", "Budapest"},
    {"Ireland", "Dublin"},
    {"Isle of Man", "Isle_of_Man"},
    {"Italy", "Rome"},
    {"Jersey", "Jersey"},
    {"Latvia", "Riga"},
    {"Liechtenstein", "Vaduz"},
    {"Lithuania", "Vilnius"},
    {"Luxembourg", "Luxembourg"},
    {"Macedonia", "Skopje"},
    {"Malta", "Malta"},
    {"Moldova", "Chisinau"},
    {"Monaco", "Monaco"},
    {"Montenegro", "Podgorica"},
    {"Netherlands", "Amsterdam"},
    {"Norway", "Oslo"},
    {"Poland", "Warsaw"},
    {"Portugal", "Lisbon"},
    {"Romania", "Bucharest"},
    {"Russia", nullptr},
    {"San Marino", "San_Marino"},
    {"Serbia", "Belgrade"},
    {"Slovakia", "Bratislava"},
    {"Slovenia", "Ljubljana"},
    {"Spain", "Madrid"},
    {"Sweden", "Stockholm"},
    {"Switzerland", "Zurich"},
    {"Turkey", "Istanbul"},
    {"Ukraine", nullptr},
    {"Vatican City", "Vatican"},
};

const Place indianOcean[] = {
    {"British Indian Ocean Territory", "Chagos"},
    {"Christmas Island", "Christmas"},
    {"Cocos (Keeling) Islands", "Cocos"},
    {"Comoros", "Comoro"},
    {"French Southern & Antarctic Lands", "Kerguelen"},
    {"Madagascar", "Antananarivo"},
    {"Maldives", "Maldives"},
    {"Mauritius", "Mauritius"},
    {"Mayotte", "Mayotte"},
    {"Reunion", "Reunion"},
    {"Seychelles", "Mahe"},
};

const Place pacificOcean[] = {
    {"Chile", "Easter"},
    {"Cook Islands", "Rarotonga"},
    {"Ecuador", "Galapagos"},
    {"Fiji", "Fiji"},
    {"French Polynesia", nullptr},
    {"Guam", "Guam"},
    {"Kiribati", nullptr},
    {"Marshall Islands", nullptr},
    {"Micronesia", nullptr},
    {"Nauru", "Nauru"},
    {"New Caledonia", "Noumea"},
    {"New Zealand", nullptr},
    {"Niue", "Niue"},
    {"Norfolk Island", "Norfolk"},
    {"Northern Mariana Islands", "Saipan"},
    {"Palau", "Palau"},
    {"Papua New Guinea", "Port_Moresby"},
    {"Pitcairn", "Pitcairn"},
    {"Samoa (American)", "Pago_Pago"},
    {"Samoa (western)", "Apia"},
    {"Solomon Islands", "Guadalcanal"},
    {"Tokelau", "Fakaofo"},
    {"Tonga", "Tongatapu"},
    {"Tuvalu", "Funafuti"},
    {"US minor outlying islands", nullptr},
    {"Vanuatu", "Efate"},
    {"Wallis & Futuna", "Wallis"},
};

const Place zonesCongoDemRep[] = {
    {"West Dem. Rep. of Congo", "Kinshasa"},
    {"East Dem. Rep. of Congo", "Lubumbashi"},
};

const Place zonesSpainAfrica[] = {
    {"Ceuta & Melilla", "Ceuta"},
    {"Canary Islands", "Canary"},
};

const Place zonesArgentina[] = {
    {"Buenos Aires (BA, CF)", "Buenos_Aires"},
    {"Most locations (CB, CC, CN, ER, FM, MN, SE, SF)", "Cordoba"},
    {"SA, LP, NQ, RN", "Argentina/Salta"},
    {"Jujuy (JY)", "Jujuy"},
    {"Tucuman (TM)", "Argentina/Tucuman"},
    {"Catamarca (CT), Chubut (CH)", "Catamarca"},
    {"La Rioja (LR)", "Argentina/La_Rioja"},
    {"San Juan (SJ)", "Argentina/San_Juan"},
    {"Mendoza (MZ)", "Argentina/Mendoza"},
    {"San Luis (SL)", "Argentina/San_Luis"},
    {"Santa Cruz (SC)", "Argentina/Rio_Gallegos"},
    {"Tierra del Fuego (TF)", "Argentina/Ushuaia"},
};

const Place zonesBrazil[] = {
    {"Atlantic islands", "Noronha"},
    {"Amapa, E Para", "Belem"},
    {"NE Brazil (MA, PI, CE, RN, PB)", "Fortaleza"},
    {"Pernambuco", "Recife"},
    {"Tocantins", "Araguaina"},
    {"Alagoas, Sergipe", "Maceio"},
    {"Bahia", "Bahia"},
    {"S & SE Brazil (GO, DF, MG, ES, RJ, SP, PR, SC, RS)", "Sao_Paulo"},
    {"Mato Grosso do Sul", "Campo_Grande"},
    {"Mato Grosso", "Cuiaba"},
    {"W Para", "Santarem"},
    {"Rondonia", "Porto_Velho"},
    {"Roraima", "Boa_Vista"},
    {"E Amazonas", "Manaus"},
    {"W Amazonas", "Eirunepe"},
    {"Acre", "Rio_Branco"},
};

const Place zonesCanada[] = {
    {"Newfoundland Time, including SE Labrador", "St_Johns"},
    {"Atlantic Time - Nova Scotia (most places), PEI", "Halifax"},
    {"Atlantic Time - Nova Scotia - places that did not observe DST 1966-1971", "Glace_Bay"},
    {"Atlantic Time - New Brunswick", "Moncton"},
    {"Atlantic Time - Labrador - most locations", "Goose_Bay"},
    {"Atlantic Standard Time - Quebec - Lower North Shore", "Blanc-Sablon"},
    {"Eastern Time - Quebec - most locations", "Montreal"},
    {"Eastern Time - Ontario - most locations", "Toronto"},
    {"Eastern Time - Ontario & Quebec - places that did not observe DST 1967-1973", "Nipigon"},
    {"Eastern Time - Thunder Bay, Ontario", "Thunder_Bay"},
    {"Eastern Time - east Nunavut - most locations", "Iqaluit"},
    {"Eastern Time - Pangnirtung, Nunavut", "Pangnirtung"},
    {"Central Standard Time - Resolute, Nunavut", "Resolute"},
    {"Eastern Standard Time - Atikokan, Ontario and Southampton I, Nunavut", "Atikokan"},
    {"Central Time - central Nunavut", "Rankin_Inlet"},
    {"Central Time - Manitoba & west Ontario", "Winnipeg"},
    {"Central Time - Rainy River & Fort Frances, Ontario", "Rainy_River"},
    {"Central Standard Time - Saskatchewan - most locations", "Regina"},
    {"Central Standard Time - Saskatchewan - midwest", "Swift_Current"},
    {"Mountain Time - Alberta, east British Columbia & west Saskatchewan", "Edmonton"},
    {"Mountain Time - west Nunavut", "Cambridge_Bay"},
    {"Mountain Time - central Northwest Territories", "Yellowknife"},
    {"Mountain Time - west Northwest Territories", "Inuvik"},
    {"Mountain Standard Time - Creston, British Columbia", "Creston"},
    {"Mountain Standard Time - Dawson Creek & Fort Saint John, British Columbia", "Dawson_Creek"},
    {"Pacific Time - west British Columbia", "Vancouver"},
    {"Pacific Time - south Yukon", "Whitehorse"},
    {"Pacific Time - north Yukon", "Dawson"},
};

const Place zonesGreenland[] = {
    {"Most locations", "Godthab"},
    {"East coast, north of Scoresbysund", "Danmarkshavn"},
    {"Scoresbysund / Ittoqqortoormiit", "Scoresbysund"},
    {"Thule / Pituffik", "Thule"},
};

const Place zonesMexico[] = {
    {"Central Time - most locations", "Mexico_City"},
    {"Central Time - Quintana Roo", "Cancun"},
    {"Central Time - Campeche, Yucatan", "Merida"},
    {"Mexican Central Time - Coahuila, Durango, Nuevo Leon, Tamaulipas away from US border", "Monterrey"},
    {"US Central Time - Coahuila, Durango, Nuevo Leon, Tamaulipas near US border", "Matamoros"},
    {"Mountain Time - S Baja, Nayarit, Sinaloa", "Mazatlan"},
    {"Mexican Mountain Time - Chihuahua away from US border", "Chihuahua"},
    {"US Mountain Time - Chihuahua near US border", "Ojinaga"},
    {"Mountain Standard Time - Sonora", "Hermosillo"},
    {"US Pacific Time - Baja California near US border", "Tijuana"},
    {"Mexican Pacific Time - Baja California away from US border", "Santa_Isabel"},
    {"Mexican Central Time - Bahia de Banderas", "Bahia_Banderas"},
};

const Place zonesUnitedStates[] = {
    {"Eastern Time", "New_York"},
    {"Eastern Time - Michigan - most locations", "Detroit"},
    {"Eastern Time - Kentucky - Louisville area", "Kentucky/Louisville"},
    {"Eastern Time - Kentucky - Wayne County", "Kentucky/Monticello"},
    {"Eastern Time - Indiana - most locations", "Indiana/Indianapolis"},
    {"Eastern Time - Indiana - Daviess, Dubois, Knox & Martin Counties", "Indiana/Vincennes"},
    {"Eastern Time - Indiana - Pulaski County", "Indiana/Winamac"},
    {"Eastern Time - Indiana - Crawford County", "Indiana/Marengo"},
    {"Eastern Time - Indiana - Pike County", "Indiana/Petersburg"},
    {"Eastern Time - Indiana - Switzerland County", "Indiana/Vevay"},
    {"Central Time", "Chicago"},
    {"Central Time - Indiana - Perry County", "Indiana/Tell_City"},
    {"Central Time - Indiana - Starke County", "Indiana/Knox"},
    {"Central Time - Michigan - Dickinson, Gogebic, Iron & Menominee Counties", "Menominee"},
    {"Central Time - North Dakota - Oliver County", "North_Dakota/Center"},
    {"Central Time - North Dakota - Morton County (except Mandan area)", "North_Dakota/New_Salem"},
    {"Central Time - North Dakota - Mercer County", "North_Dakota/Beulah"},
    {"Mountain Time", "Denver"},
    {"Mountain Time - south Idaho & east Oregon", "Boise"},
    {"Mountain Time - Navajo", "Shiprock"},
    {"Mountain Standard Time - Arizona", "Phoenix"},
    {"Pacific Time", "Los_Angeles"},
    {"Alaska Time", "Anchorage"},
    {"Alaska Time - Alaska panhandle", "Juneau"},
    {"Alaska Time - southeast Alaska panhandle", "Sitka"},
    {"Alaska Time - Alaska panhandle neck", "Yakutat"},
    {"Alaska Time - west Alaska", "Nome"},
    {"Aleutian Islands", "Adak"},
    {"Metlakatla Time - Annette Island", "Metlakatla"},
    {"Hawaii", "Honolulu"},
};

const Place zonesChina[] = {
    {"East China - Beijing, Guangdong, Shanghai, etc.", "Shanghai"},
    {"Heilongjiang (except Mohe), Jilin", "Harbin"},
    {"Central China - Sichuan, Yunnan, Guangxi, Shaanxi, Guizhou, etc.", "Chongqing"},
    {"Most of Tibet & Xinjiang", "Urumqi"},
    {"West Tibet & Xinjiang", "Kashgar"},
};

const Place zonesIndonesia[] = {
    {"Java & Sumatra", "Jakarta"},
    {"West & central Borneo", "Pontianak"},
    {"East & south Borneo, Sulawesi (Celebes), Bali, Nusa Tengarra, west Timor", "Makassar"},
    {"West New Guinea (Irian Jaya) & Malukus (Moluccas)", "Jayapura"},
};

const Place zonesKazakhstan[] = {
    {"Most locations", "Almaty"},
    {"Qyzylorda (Kyzylorda, Kzyl-Orda)", "Qyzylorda"},
    {"Aqtobe (Aktobe)", "Aqtobe"},
    {"Atyrau (Atirau, Gur'yev), Mangghystau (Mankistau)", "Aqtau"},
    {"West Kazakhstan", "Oral"},
};

const Place zonesMalaysia[] = {
    {"Peninsular Malaysia", "Kuala_Lumpur"},
    {"Sabah & Sarawak", "Kuching"},
};

const Place zonesMongolia[] = {
    {"Most locations", "Ulaanbaatar"},
    {"Bayan-Olgiy, Govi-Altai, Hovd, Uvs, Zavkhan", "Hovd"},
    {"Dornod, Sukhbaatar", "Choibalsan"},
};

const Place zonesPalestine[] = {
    {"Gaza Strip", "Gaza"},
    {"West Bank", "Hebron"},
};

const Place zonesRussia[] = {
    {"Moscow-01 - Kaliningrad", "Europe/Kaliningrad"},
    {"Moscow+00 - west Russia", "Europe/Moscow"},
    {"Moscow+00 - Caspian Sea", "Europe/Volgograd"},
    {"Moscow+00 - Samara, Udmurtia", "Europe/Samara"},
    {"Moscow+02 - Urals", "Asia/Yekaterinburg"},
    {"Moscow+03 - west Siberia", "Asia/Omsk"},
    {"Moscow+03 - Novosibirsk", "Asia/Novosibirsk"},
    {"Moscow+03 - Novokuznetsk", "Asia/Novokuznetsk"},
    {"Moscow+04 - Yenisei River", "Asia/Krasnoyarsk"},
    {"Moscow+05 - Lake Baikal", "Asia/Irkutsk"},
    {"Moscow+06 - Lena River", "Asia/Yakutsk"},
    {"Moscow+07 - Amur River", "Asia/Vladivostok"},
    {"Moscow+07 - Sakhalin Island", "Asia/Sakhalin"},
    {"Moscow+08 - Magadan", "Asia/Magadan"},
    {"Moscow+08 - Kamchatka", "Asia/Kamchatka"},
    {"Moscow+08 - Bering Sea", "Asia/Anadyr"},
};

const Place zonesUzbekistan[] = {
    {"West Uzbekistan", "Samarkand"},
    {"East Uzbekistan", "Tashkent"},
};

const Place zonesPortugal[] = {
    {"Madeira Islands", "Madeira"},
    {"Azores", "Azores"},
};

const Place zonesUkraine[] = {
    {"Most locations", "Kiev"},
    {"Ruthenia", "Uzhgorod"},
    {"Zaporozh'ye, E Lugansk / Zaporizhia, E Luhansk", "Zaporozhye"},
    {"Central Crimea", "Simferopol"},
};

const Place zonesFrenchPolynesia[] = {
    {"Society Islands", "Tahiti"},
    {"Marquesas Islands", "Marquesas"},
    {"Gambier Islands", "Gambier"},
};

const Place zonesKiribati[] = {
    {"Gilbert Islands", "Tarawa"},
    {"Phoenix Islands", "Enderbury"},
    {"Line Islands", "Kiritimati"},
};

const Place zonesMarshallIslands[] = {
    {"Most locations", "Majuro"},
    {"Kwajalein", "Kwajalein"},
};

const Place zonesMicronesia[] = {
    {"Chuuk (Truk) and Yap", "Chuuk"},
    {"Pohnpei (Ponape)", "Pohnpei"},
    {"Kosrae", "Kosrae"},
};

const Place zonesNewZealand[] = {
    {"Most locations", "Auckland"},
    {"Chatham Islands", "Chatham"},
};

const Place zonesUsMinorOutlyingIslands[] = {
    {"Johnston Atoll", "Johnston"},
    {"Midway Islands", "Midway"},
    {"Wake Island", "Wake"},
};

} // namespace

const Continent continents[ContinentCount] = {
    {"Africa", "Africa", africa, int(std::size(africa)), true, 0},
    {"Americas", "America", americas, int(std::size(americas)), true, 48},
    {"Antarctica", "Antarctica", antarctica, int(std::size(antarctica)), false, 0},
    {"Arctic Ocean", "Arctic", arcticOcean, int(std::size(arcticOcean)), false, 0},
    {"Asia", "Asia", asia, int(std::size(asia)), true, 0},
    {"Atlantic Ocean", "Atlantic", atlanticOcean, int(std::size(atlanticOcean)), true, 0},
    {"Australia", "Australia", australia, int(std::size(australia)), false, 0},
    {"Europe", "Europe", europe, int(std::size(europe)), true, 0},
    {"Indian Ocean", "Indian", indianOcean, int(std::size(indianOcean)), true, 0},
    {"Pacific Ocean", "Pacific", pacificOcean, int(std::size(pacificOcean)), true, 0},
};

const ZoneList zoneLists[ZoneListCount] = {
    {0, 9, zonesCongoDemRep, int(std::size(zonesCongoDemRep)), 0},   // Africa, Congo (Dem. Rep.)
    {0, 41, zonesSpainAfrica, int(std::size(zonesSpainAfrica)), 0},   // Africa, Spain
    {1, 2, zonesArgentina, int(std::size(zonesArgentina)), 0},   // Americas, Argentina
    {1, 9, zonesBrazil, int(std::size(zonesBrazil)), 0},   // Americas, Brazil
    {1, 10, zonesCanada, int(std::size(zonesCanada)), 0},   // Americas, Canada
    {1, 22, zonesGreenland, int(std::size(zonesGreenland)), 0},   // Americas, Greenland
    {1, 31, zonesMexico, int(std::size(zonesMexico)), 0},   // Americas, Mexico
    {1, 48, zonesUnitedStates, int(std::size(zonesUnitedStates)), 21},   // Americas, United States
    {4, 8, zonesChina, int(std::size(zonesChina)), 0},   // Asia, China
    {4, 14, zonesIndonesia, int(std::size(zonesIndonesia)), 0},   // Asia, Indonesia
    {4, 20, zonesKazakhstan, int(std::size(zonesKazakhstan)), 0},   // Asia, Kazakhstan
    {4, 28, zonesMalaysia, int(std::size(zonesMalaysia)), 0},   // Asia, Malaysia
    {4, 29, zonesMongolia, int(std::size(zonesMongolia)), 0},   // Asia, Mongolia
    {4, 34, zonesPalestine, int(std::size(zonesPalestine)), 0},   // Asia, Palestine
    {4, 37, zonesRussia, int(std::size(zonesRussia)), 0},   // Asia, Russia
    {4, 47, zonesUzbekistan, int(std::size(zonesUzbekistan)), 0},   // Asia, Uzbekistan
    {5, 5, zonesPortugal, int(std::size(zonesPortugal)), 0},   // Atlantic Ocean, Portugal
    {7, 38, zonesRussia, int(std::size(zonesRussia)), 0},   // Europe, Russia
    {7, 47, zonesUkraine, int(std::size(zonesUkraine)), 0},   // Europe, Ukraine
    {9, 4, zonesFrenchPolynesia, int(std::size(zonesFrenchPolynesia)), 0},   // Pacific Ocean, French Polynesia
    {9, 6, zonesKiribati, int(std::size(zonesKiribati)), 0},   // Pacific Ocean, Kiribati
    {9, 7, zonesMarshallIslands, int(std::size(zonesMarshallIslands)), 0},   // Pacific Ocean, Marshall Islands
    {9, 8, zonesMicronesia, int(std::size(zonesMicronesia)), 0},   // Pacific Ocean, Micronesia
    {9, 11, zonesNewZealand, int(std::size(zonesNewZealand)), 0},   // Pacific Ocean, New Zealand
    // Pacific Ocean, US minor outlying islands
    {9, 24, zonesUsMinorOutlyingIslands, int(std::size(zonesUsMinorOutlyingIslands)), 0},
};

const Continent *continent(int row)
{
    return row >= 0 && row < ContinentCount ? &continents[row] : nullptr;
}

const ZoneList *zoneList(int continentRow, int countryRow)
{
    for (const ZoneList &list : zoneLists)
        if (list.continent == continentRow && list.country == countryRow)
            return &list;
    return nullptr;
}

} // namespace TimezoneTables
