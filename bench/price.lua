-- wrk: GET /price with a random existing code from the file named by CODES.
local codes = {}
for line in io.lines(os.getenv("CODES")) do codes[#codes + 1] = line end
math.randomseed(os.time() + math.floor(os.clock() * 1000000))
request = function()
  return wrk.format("GET", "/price?code=" .. codes[math.random(#codes)] .. "&wh=all")
end
