Hello *User_Name*,

Thank you for your purchase of *Auction_Name* (item number *Auction_Number*). It was a pleasure doing business with you.

I have left positive feedback for you. I hope you enjoy your item, and I hope to do business with you again soon.

Best regards,

Your Seller
